#pragma once

#include <QLabel>
#include <QString>

namespace sokuri {

// A one-line label of the status bar that shows as much of its text as fits
// and ends a cut text with "…"; text() stays whole. It takes the width the
// status bar gives it instead of asking for its text's width.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as it shows at the label's present width.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace sokuri
