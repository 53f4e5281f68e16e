#pragma once

#include "common/appstate.h"
#include "common/inputmode.h"
#include "searchplugins/catalogueentry.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

namespace sokuri {

// The installed search plugins, kept sorted ascending by name, each with the
// check mark that says whether the next search asks it. The plugin list binds
// to this model: display text, "Version ..." tooltips and check boxes.
class PluginCatalogue : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { UrlRole = Qt::UserRole + 1, VersionRole };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Lists the plugin folder anew; every entry comes unchecked.
    void load(const AppPaths& paths);
    // Lists the folder anew and checks every entry whose name was checked
    // before (marks are kept by name; a vanished plugin loses its mark).
    void refresh(const AppPaths& paths);
    // Replaces the entries (sorted here), for tests and the loaders above.
    void setEntries(QList<CatalogueEntry> entries);

    const QList<CatalogueEntry>& entries() const { return m_entries; }
    const CatalogueEntry& at(int row) const { return m_entries.at(row); }
    int count() const { return int(m_entries.size()); }

    void setChecked(int row, bool checked);
    // Gives every entry of that exact name the mark (documents restore marks
    // by name).
    void setCheckedByName(const QString& name, bool checked);
    void uncheckAll();
    // The kinds of the entries ([init] category), each once, in list order.
    QStringList categories() const;
    // Gives every entry of that kind the mark.
    void setCheckedByCategory(const QString& category, bool checked);
    bool anyChecked() const;
    QStringList checkedNames() const;

signals:
    void checkMarksChanged();

private:
    QList<CatalogueEntry> m_entries;
};

// Whether the Search button may be pressed: a mode is chosen, the input text is
// not empty and at least one plugin is checked.
bool UpdateExecButton(InputMode mode, const QString& text, const PluginCatalogue& catalogue);

} // namespace sokuri
