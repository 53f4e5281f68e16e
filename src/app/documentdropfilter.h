#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace sokuri {

// Takes a dropped document (.skr) from a widget that would take the drop
// itself (the input line takes a file's address as text): the drag is
// accepted and the drop hands the document's path to open(). Every other
// drop goes on to the widget.
class DocumentDropFilter : public QObject
{
    Q_OBJECT

public:
    DocumentDropFilter(std::function<void(const QString&)> open, QObject* parent)
        : QObject(parent)
        , m_open(std::move(open))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_open;
};

} // namespace sokuri
