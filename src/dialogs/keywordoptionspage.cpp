#include "dialogs/keywordoptionspage.h"

#include "analysis/keywords.h"
#include "common/inifile.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri {

KeywordOptionsPage::KeywordOptionsPage(QWidget* parent)
    : QWidget(parent)
{
    m_compound =
        new QCheckBox(u"複合語を一つのキーワードにする (人工知能、東京証券取引所)"_s, this);
    m_compound->setObjectName(u"keywordCompound"_s);
    m_max = new QSpinBox(this);
    m_max->setObjectName(u"keywordMax"_s);
    m_max->setRange(0, KeywordList::Capacity);
    m_max->setSpecialValueText(u"すべて"_s);

    auto* note = new QLabel(u"上限を決めると、文章が何について書かれているかを見て、"
                            u"大事な語から順に選びます。"_s,
                            this);
    note->setWordWrap(true);
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(m_compound);
    layout->addRow(u"キーワードの上限"_s, m_max);
    layout->addRow(note);
}

void KeywordOptionsPage::load(const AppPaths& paths)
{
    m_loaded = LoadKeywordSettings(paths.IniPath);
    m_compound->setChecked(m_loaded.compound);
    m_max->setValue(m_loaded.max);
}

bool KeywordOptionsPage::apply(const AppPaths& paths, QString* errorText)
{
    QList<std::pair<QString, QString>> values;
    if (m_compound->isChecked() != m_loaded.compound)
        values.append({u"compound"_s, m_compound->isChecked() ? u"1"_s : u"0"_s});
    if (m_max->value() != m_loaded.max)
        values.append({u"max"_s, QString::number(m_max->value())});
    if (values.isEmpty())
        return true;
    if (!WriteIniStrings(u"keywords"_s, values, paths.IniPath, errorText))
        return false;
    m_loaded.compound = m_compound->isChecked();
    m_loaded.max = m_max->value();
    return true;
}

} // namespace sokuri
