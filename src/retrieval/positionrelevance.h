#pragma once

#include "retrieval/resultrow.h"

#include <QList>
#include <QString>

namespace sokuri {

// The relevance figure of an engine's n-th entry of a run (n from 1) for a
// plugin whose figures come from positions ("Relevance=position"):
// max(1, round(100 / n)), right-aligned in three characters ("100", " 50",
// " 33", ...).
QString PositionFigure(int position);

// Gives the rows from index `from` on the figures of their positions, counted
// on from `position` (the entries of the engine so far, updated). A row that
// already has a figure of its own keeps it and still takes its place.
void FigureRowsByPosition(QList<ResultRow>& rows, qsizetype from, int& position);

} // namespace sokuri
