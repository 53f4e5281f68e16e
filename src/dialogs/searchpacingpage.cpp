#include "dialogs/searchpacingpage.h"

#include "common/inifile.h"

#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri {

SearchPacingPage::SearchPacingPage(QWidget* parent)
    : QWidget(parent)
{
    m_connections = new QSpinBox(this);
    m_connections->setObjectName(u"searchConnections"_s);
    m_connections->setRange(SearchSettings::MinConnections, SearchSettings::MaxConnections);
    m_interval = new QSpinBox(this);
    m_interval->setObjectName(u"searchInterval"_s);
    m_interval->setRange(0, SearchSettings::MaxIntervalMs);
    m_interval->setSingleStep(100);
    m_interval->setSuffix(u" ミリ秒"_s);
    m_interval->setSpecialValueText(u"待たない"_s);

    auto* note = new QLabel(u"同時に問い合わせるエンジンの数と、各要求の前に待つ時間です。"
                            u"待ち時間を長くすると、エンジンに拒まれにくくなります。"_s,
                            this);
    note->setWordWrap(true);
    auto* layout = new QFormLayout(this);
    layout->addRow(u"同時接続数"_s, m_connections);
    layout->addRow(u"要求の間隔"_s, m_interval);
    layout->addRow(note);
}

void SearchPacingPage::load(const AppPaths& paths)
{
    m_loaded = LoadSearchSettings(paths);
    m_connections->setValue(m_loaded.connections);
    m_interval->setValue(m_loaded.intervalMs);
}

bool SearchPacingPage::apply(const AppPaths& paths, QString* errorText)
{
    QList<std::pair<QString, QString>> values;
    if (m_connections->value() != m_loaded.connections)
        values.append({u"connections"_s, QString::number(m_connections->value())});
    if (m_interval->value() != m_loaded.intervalMs)
        values.append({u"interval"_s, QString::number(m_interval->value())});
    if (values.isEmpty())
        return true;
    if (!WriteIniStrings(u"search"_s, values, paths.IniPath, errorText))
        return false;
    m_loaded.connections = m_connections->value();
    m_loaded.intervalMs = m_interval->value();
    return true;
}

} // namespace sokuri
