#include "app/elidedlabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QSizePolicy>
#include <QStyle>

namespace sokuri {

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ElidedLabel::shownText() const
{
    // One line: the line breaks of a long text are the tool tip's.
    QString line = text();
    line.replace(u'\n', u' ');
    return fontMetrics().elidedText(line, Qt::ElideRight, qMax(contentsRect().width(), 0));
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(Qt::AlignLeft | Qt::AlignVCenter),
                          palette(), isEnabled(), shownText(), foregroundRole());
}

} // namespace sokuri
