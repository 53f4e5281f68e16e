#include "platform/qtfiledialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace sokuri {

namespace {

// The file the dialog starts with: the proposed name inside the folder, or
// the name alone when it is a full path already.
QString startPath(const FileDialogRequest& request)
{
    if (request.fileName.isEmpty())
        return request.folder;
    if (request.folder.isEmpty() || QFileInfo(request.fileName).isAbsolute())
        return request.fileName;
    return QDir(request.folder).filePath(request.fileName);
}

// The dialog's file list with its columns written the Japanese way.
class JapaneseFileList : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == 0)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case 1:
            if (info.isDir())
                return QString();
            if (info.size() < 1024)
                return QStringLiteral("%1 バイト").arg(info.size());
            return m_locale.formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
        case 2:
            if (info.isDir())
                return QStringLiteral("フォルダー");
            return info.suffix().isEmpty() ? QStringLiteral("ファイル")
                                           : info.suffix() + QStringLiteral(" ファイル");
        case 3:
            return m_locale.toString(info.lastModified(), QStringLiteral("yyyy/MM/dd HH:mm"));
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList captions = {QStringLiteral("名前"), QStringLiteral("サイズ"),
                                             QStringLiteral("種類"), QStringLiteral("更新日時")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < captions.size())
            return captions[section];
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

private:
    QLocale m_locale{QLocale::Japanese, QLocale::Japan};
};

QString run(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    SetUpFileDialog(dialog, request, mode);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace

void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                     QFileDialog::AcceptMode mode)
{
    // Qt's own dialog, so that its list can be given in Japanese.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    dialog.setProxyModel(new JapaneseFileList(&dialog));
    // Room for the Japanese kinds and the whole dates.
    dialog.resize(780, 480);
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        // The file model sorts a folder as it loads it; through the list's
        // proxy that sort has to be asked for again once the folder is in.
        if (auto* files = qobject_cast<QFileSystemModel*>(dialog.proxyModel()->sourceModel())) {
            QObject::connect(files, &QFileSystemModel::directoryLoaded, list, [list] {
                list->sortByColumn(list->header()->sortIndicatorSection(),
                                   list->header()->sortIndicatorOrder());
            });
        }
        const QFontMetrics metrics(list->font());
        list->header()->resizeSection(1,
                                      metrics.horizontalAdvance(QStringLiteral("000.0 KB")) + 24);
        list->header()->resizeSection(2,
                                      metrics.horizontalAdvance(QStringLiteral("フォルダー")) + 24);
        list->header()->resizeSection(
            3, metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 24);
    }
    dialog.setAcceptMode(mode);
    // An open dialog only takes a file that exists; a save dialog asks
    // before it names one that does (QFileDialog's default).
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        if (request.selectedFilter > 0 && request.selectedFilter < request.filters.size())
            dialog.selectNameFilter(request.filters[request.selectedFilter]);
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    const QString start = startPath(request);
    const QFileInfo info(start);
    if (!start.isEmpty() && info.isDir()) {
        dialog.setDirectory(start);
    } else if (!start.isEmpty()) {
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
}

QtFileDialogs::QtFileDialogs(QWidget* parent)
    : m_parent(parent)
{}

QString QtFileDialogs::openFileName(const FileDialogRequest& request)
{
    return run(m_parent.data(), request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::saveFileName(const FileDialogRequest& request)
{
    return run(m_parent.data(), request, QFileDialog::AcceptSave);
}

} // namespace sokuri
