#include "searchplugins/plugincatalogue.h"

#include "searchplugins/pluginfolder.h"

#include <algorithm>

namespace sokuri {

int PluginCatalogue::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant PluginCatalogue::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CatalogueEntry& entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.text;
    case Qt::ToolTipRole:
        return entry.tooltip();
    case Qt::CheckStateRole:
        return entry.checked ? Qt::Checked : Qt::Unchecked;
    case UrlRole:
        return entry.url;
    case VersionRole:
        return entry.version;
    default:
        return {};
    }
}

bool PluginCatalogue::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags PluginCatalogue::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QVariant PluginCatalogue::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return QStringLiteral("サイト");
    return {};
}

void PluginCatalogue::setEntries(QList<CatalogueEntry> entries)
{
    // Sorted ascending by name; entries of the same name keep their order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const CatalogueEntry& a, const CatalogueEntry& b) {
                         return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
                     });
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
    emit checkMarksChanged();
}

void PluginCatalogue::load(const AppPaths& paths)
{
    setEntries(ReadPluginFolder(paths.PluginPath));
}

void PluginCatalogue::refresh(const AppPaths& paths)
{
    const QStringList marked = checkedNames();
    QList<CatalogueEntry> entries = ReadPluginFolder(paths.PluginPath);
    for (CatalogueEntry& entry : entries)
        entry.checked = marked.contains(entry.text);
    setEntries(std::move(entries));
}

void PluginCatalogue::setChecked(int row, bool checked)
{
    if (row < 0 || row >= count() || m_entries[row].checked == checked)
        return;
    m_entries[row].checked = checked;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
    emit checkMarksChanged();
}

void PluginCatalogue::setCheckedByName(const QString& name, bool checked)
{
    for (int row = 0; row < count(); ++row) {
        if (m_entries[row].text == name)
            setChecked(row, checked);
    }
}

void PluginCatalogue::uncheckAll()
{
    for (int row = 0; row < count(); ++row)
        setChecked(row, false);
}

QStringList PluginCatalogue::categories() const
{
    QStringList kinds;
    for (const CatalogueEntry& entry : m_entries) {
        if (!entry.category.isEmpty() && !kinds.contains(entry.category))
            kinds.append(entry.category);
    }
    return kinds;
}

void PluginCatalogue::setCheckedByCategory(const QString& category, bool checked)
{
    for (int row = 0; row < count(); ++row) {
        if (m_entries[row].category == category)
            setChecked(row, checked);
    }
}

bool PluginCatalogue::anyChecked() const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const CatalogueEntry& entry) { return entry.checked; });
}

QStringList PluginCatalogue::checkedNames() const
{
    QStringList names;
    for (const CatalogueEntry& entry : m_entries) {
        if (entry.checked)
            names.append(entry.text);
    }
    return names;
}

bool UpdateExecButton(InputMode mode, const QString& text, const PluginCatalogue& catalogue)
{
    return mode != InputMode::None && !text.isEmpty() && catalogue.anyChecked();
}

} // namespace sokuri
