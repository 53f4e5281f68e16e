#include "retrieval/positionrelevance.h"

#include <algorithm>
#include <cmath>

namespace sokuri {

QString PositionFigure(int position)
{
    const long figure = std::max(1L, std::lround(100.0 / double(std::max(position, 1))));
    return QStringLiteral("%1").arg(figure, 3, 10, QLatin1Char(' '));
}

void FigureRowsByPosition(QList<ResultRow>& rows, qsizetype from, int& position)
{
    for (qsizetype i = std::max<qsizetype>(from, 0); i < rows.size(); ++i) {
        ++position;
        if (rows[i].relevance.isEmpty())
            rows[i].relevance = PositionFigure(position);
    }
}

} // namespace sokuri
