#include "dialogs/pluginmanagerrests.h"

#include "dialogs/dialogbutton.h"
#include "retrieval/enginerests.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// What a row had before it was marked, to give back when the rest ends.
constexpr int PlainToolTipRole = Qt::UserRole + 40;

} // namespace

PluginManagerRests::PluginManagerRests(const AppPaths& paths, QTreeWidget& list,
                                       QBoxLayout& buttons, Clock clock)
    : QObject(&list)
    , m_paths(paths)
    , m_list(list)
    , m_clock(std::move(clock))
{
    m_resume = DialogButton(u"cmdResume"_s, u"再開"_s, list.parentWidget());
    m_openRefused = DialogButton(u"cmdOpenRefused"_s, u"ブラウザで開く"_s, list.parentWidget());
    m_openRefused->setToolTip(u"確認を求められた検索ページを開きます"_s);
    buttons.addWidget(m_resume);
    buttons.addWidget(m_openRefused);
    connect(m_resume, &QPushButton::clicked, this, [this] {
        const QString plugin = selectedPlugin();
        EngineRests(m_paths, m_clock).resume(plugin);
        refresh();
        emit resumed(plugin);
    });
    connect(m_openRefused, &QPushButton::clicked, this, [this] {
        if (const auto rest = EngineRests(m_paths, m_clock).restOf(selectedPlugin()))
            emit openRequested(rest->address);
    });
    connect(&m_list, &QTreeWidget::itemSelectionChanged, this, &PluginManagerRests::updateButtons);
    refresh();
}

QString PluginManagerRests::selectedPlugin() const
{
    const QList<QTreeWidgetItem*> selected = m_list.selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(0);
}

void PluginManagerRests::refresh()
{
    const EngineRests rests(m_paths, m_clock);
    const RestTable resting = rests.resting();
    const QDateTime now = rests.now();
    const QIcon pause = m_list.style()->standardIcon(QStyle::SP_MediaPause);
    const QBrush grey = m_list.palette().brush(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < m_list.topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_list.topLevelItem(row);
        const auto rest = resting.constFind(item->text(0));
        const bool rests = rest != resting.cend();
        for (int column = 0; column < item->columnCount(); ++column) {
            if (rests)
                item->setForeground(column, grey);
            else
                item->setData(column, Qt::ForegroundRole, {});
        }
        item->setIcon(0, rests ? pause : QIcon());
        if (!item->data(0, PlainToolTipRole).isValid())
            item->setData(0, PlainToolTipRole, item->toolTip(0));
        const QString plain = item->data(0, PlainToolTipRole).toString();
        const QString line =
            rests ? u"一時停止中 ("_s + DescribeRest(*rest, now) + u')' : QString();
        item->setToolTip(0, plain.isEmpty() || line.isEmpty() ? QString(plain + line)
                                                              : QString(plain + u'\n' + line));
    }
    updateButtons();
}

void PluginManagerRests::updateButtons()
{
    const auto rest = EngineRests(m_paths, m_clock).restOf(selectedPlugin());
    m_resume->setEnabled(rest.has_value());
    m_openRefused->setEnabled(rest && rest->cause == u"CAPTCHA" && !rest->address.isEmpty());
}

} // namespace sokuri
