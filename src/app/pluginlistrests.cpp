#include "app/pluginlistrests.h"

#include "retrieval/enginerests.h"

#include <QAbstractItemView>
#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// Draws a resting engine greyed with a pause icon and adds its rest to the
// entry's tooltip; the check box still takes clicks.
class RestingEntryDelegate : public QStyledItemDelegate
{
public:
    RestingEntryDelegate(const PluginListRests& rests, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_rests(rests)
    {}

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        const QString line = m_rests.restLine(index.data(Qt::DisplayRole).toString());
        if (event->type() != QEvent::ToolTip || line.isEmpty())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString tip = index.data(Qt::ToolTipRole).toString();
        QToolTip::showText(event->globalPos(), tip.isEmpty() ? line : tip + u'\n' + line, view);
        return true;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_rests.restOf(index.data(Qt::DisplayRole).toString()))
            return;
        option->state &= ~QStyle::State_Enabled;
        option->features |= QStyleOptionViewItem::HasDecoration;
        const QStyle* style = option->widget ? option->widget->style() : nullptr;
        if (style)
            option->icon = style->standardIcon(QStyle::SP_MediaPause, nullptr, option->widget);
    }

private:
    const PluginListRests& m_rests;
};

} // namespace

PluginListRests::PluginListRests(const AppPaths& paths, QAbstractItemView& view, QMenu& popup,
                                 OpenUrl openUrl, Clock clock)
    : QObject(&view)
    , m_paths(paths)
    , m_view(view)
    , m_openUrl(std::move(openUrl))
    , m_clock(std::move(clock))
{
    view.setItemDelegate(new RestingEntryDelegate(*this, &view));
    popup.addSeparator();
    m_resume = popup.addAction(u"再開"_s);
    m_resume->setObjectName(u"popListView1Resume"_s);
    m_openRefused = popup.addAction(u"ブラウザで開く"_s);
    m_openRefused->setObjectName(u"popListView1OpenRefused"_s);
    m_openRefused->setToolTip(u"確認を求められた検索ページを開きます。確認が済んだら「再開」を"_s
                              u"選んでください"_s);
    connect(m_resume, &QAction::triggered, this, &PluginListRests::resumeCurrent);
    connect(m_openRefused, &QAction::triggered, this, &PluginListRests::openRefused);
    connect(&popup, &QMenu::aboutToShow, this, &PluginListRests::updateActions);
    // Rests run out, and the times left change.
    m_tick.setInterval(std::chrono::minutes(1));
    connect(&m_tick, &QTimer::timeout, this, &PluginListRests::refresh);
    m_tick.start();
    refresh();
}

void PluginListRests::refresh()
{
    m_resting = EngineRests(m_paths, m_clock).resting();
    updateActions();
    m_view.viewport()->update();
}

std::optional<EngineRest> PluginListRests::restOf(const QString& plugin) const
{
    const auto rest = m_resting.constFind(plugin);
    if (rest == m_resting.cend() || !rest->restingAt(ClockNow(m_clock)))
        return std::nullopt;
    return *rest;
}

QString PluginListRests::restLine(const QString& plugin) const
{
    const auto rest = restOf(plugin);
    return rest ? u"一時停止中 ("_s + DescribeRest(*rest, ClockNow(m_clock)) + u')' : QString();
}

QString PluginListRests::currentPlugin() const
{
    return m_view.currentIndex().data(Qt::DisplayRole).toString();
}

void PluginListRests::updateActions()
{
    const auto rest = restOf(currentPlugin());
    m_resume->setVisible(rest.has_value());
    m_openRefused->setVisible(rest && rest->cause == u"CAPTCHA" && !rest->address.isEmpty());
}

void PluginListRests::resumeCurrent()
{
    const QString plugin = currentPlugin();
    if (plugin.isEmpty())
        return;
    EngineRests(m_paths, m_clock).resume(plugin);
    refresh();
    emit resumed(plugin);
}

void PluginListRests::openRefused()
{
    const auto rest = restOf(currentPlugin());
    if (rest && !rest->address.isEmpty() && m_openUrl)
        m_openUrl(rest->address);
}

} // namespace sokuri
