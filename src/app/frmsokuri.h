#pragma once

#include "common/appstate.h"
#include "common/settings.h"
#include "documents/documentstate.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QMovie;
class QPushButton;
class QRadioButton;
class QTextBrowser;
class QTreeView;
class QUrl;

namespace sokuri {

class DocumentCommands;
class EntryKeywords;
class frmHelp;
struct AboutFacts;
class ExternalBrowser;
class RecentFilesMenu;
class ResultsListCommands;
class FileDialogs;
class MessageSink;
class MergedResultsModel;
class ResultsFilterModel;
class SearchRun;

// Where the main window's messages, file names and web pages go. A null
// member is replaced by the desktop's own (message boxes, QFileDialog, the
// desktop browser); the objects given must outlive the window.
struct WindowPlatform
{
    MessageSink* messages = nullptr;
    FileDialogs* dialogs = nullptr;
    ExternalBrowser* browser = nullptr;
};

// The main window: the input line, the two mode buttons, the plugin list, the
// Search and Stop buttons with the busy animation, the results list and the
// viewer of one result entry, with the File, Edit, View and Help menus. It
// only binds widgets to the core: the run is SearchRun's, the documents are
// DocumentCommands', the lists are PluginCatalogue and ResultsModel.
//
// Controls by object name: Label1, Text1, Label2, Frame1 (Option1 sentence,
// Option2 keywords), Label3, ListView1, Exec, Cancel, Animation1, ListView2,
// WebBrowser1; menus mnuFile, mnuEdit, mnuDisp, mnuHelp and their entries
// (mnuFileNew ... mnuHelpVersion) as actions; the plugin list's pop-up menu
// ListView1PopupMenu with popListView1Open, popListView1New and
// popListView1Remove.
class frmSokuri : public QMainWindow
{
    Q_OBJECT

public:
    using Platform = WindowPlatform;

    struct LoadOptions
    {
        QString appDir;     // the application folder (settings, plugins, tmp)
        QString programDir; // the program's own folder: the animation, the help page
    };

    // The design's inner size in twips; the inner area never gets smaller,
    // so the window keeps at least its design size.
    static constexpr int DesignWidthTwips = 8280;
    static constexpr int DesignHeightTwips = 5835;
    // The results list's top, fixed; the lists below it share the height.
    static constexpr int ListView2TopTwips = 2400;

    explicit frmSokuri(const Platform& platform = {}, QWidget* parent = nullptr);
    ~frmSokuri() override;

    // The start-up steps after the single-instance test: folders, settings,
    // an empty document, the layout, the two lists, the animation and the
    // plugins. False when sokuri.ini is missing: the message has been shown
    // and the program is to end.
    bool Form_Load(const LoadOptions& options);

    const AppPaths& paths() const { return m_state.paths; }
    const ChasenSettings& chasenSettings() const { return m_settings; }
    PluginCatalogue& catalogue() { return m_catalogue; }
    ResultsModel& results() { return m_results; }
    SearchRun* searchRun() const { return m_run.get(); }
    DocumentCommands* documents() const { return m_documents.get(); }
    QMovie* animation() const { return m_movie; }

    // Opens the document at path as File > Open does after its dialog: from
    // the command line, another start of the program, a drop or the recent
    // documents.
    void openDocumentFile(const QString& path);

    // Layout units: twips (1/1440 inch) at the window's logical resolution.
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;
    double pixelsToTwipsX(int pixels) const;
    double pixelsToTwipsY(int pixels) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The window's size, position and column widths are kept on closing.
    void closeEvent(QCloseEvent* event) override;
    // A document (.skr) dropped on the window opens.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    QAction* addMenuEntry(QMenu* menu, const QString& name, const QString& caption,
                          void (frmSokuri::*handler)());

    void Form_Resize();
    void SetUpPluginList();
    void SetUpResultsList();
    void openAnimation(const QString& path);
    void UpdateExecButton();

    void Exec_Click();
    void Cancel_Click();
    void searchStarted(const QString& trimmedText);
    void EndSearch();
    void setInputEnabled(bool enabled);

    void ListView1_MouseDown(const QPoint& position);
    void OpenPluginSite(const QString& target);
    void OpenInBrowser(const QString& url, const QString& target);
    void ListView2_ItemClick(const QModelIndex& index);
    void showSortIndicator();
    void WebBrowser1_LinkClick(const QUrl& url);
    void blankViewer();

    InputState inputState() const;
    void setInputState(const InputState& input);

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSaveas_Click();
    void mnuFileSave_Click();
    void mnuFileEnd_Click();
    void mnuEditOption_Click();
    // frmsokurikeywords.cpp: 検索語を編集 and 「この項目の語で検索」.
    void buildKeywordCommands(QMenu* edit);
    void mnuEditKeywords_Click();
    void searchWithEntryWords(const ResultRow& row);
    void entryKeywordsFound(const QStringList& keywords);
    void mnuDispPlugin_Click();
    void mnuDispPluginupdate_Click();
    void mnuDispPluginManager_Click();
    void popListView1Remove_Click();
    void fillKindMenu();
    void mnuHelpSokuri_Click();
    void mnuHelpVersion_Click();
    AboutFacts aboutFacts() const;
    void reloadSettings();
    void mnuDispMerge_Click();
    void showEngineStatuses();
    void showRunEnd();
    void clearRunStatus();
    void setStatusToolTip(const QString& tip);
    void mnuFileExport_Click();

    // The desktop's own platform objects, for the members not given.
    std::unique_ptr<MessageSink> m_ownMessages;
    std::unique_ptr<FileDialogs> m_ownDialogs;
    std::unique_ptr<ExternalBrowser> m_ownBrowser;
    MessageSink* m_messages = nullptr;
    FileDialogs* m_dialogs = nullptr;
    ExternalBrowser* m_browser = nullptr;

    AppState m_state;
    QString m_programDir;
    ChasenSettings m_settings;
    PluginCatalogue m_catalogue;
    ResultsModel m_results;
    // Made by Form_Load, once the folders are known; declared after the
    // models they work on, so they go first when the window closes.
    std::unique_ptr<SearchRun> m_run;
    std::unique_ptr<DocumentCommands> m_documents;
    EntryKeywords* m_entryKeywords = nullptr; // the analysis of a result row's words

    QLabel* m_label1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLabel* m_label2 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QButtonGroup* m_modes = nullptr;
    QLabel* m_label3 = nullptr;
    QTreeView* m_listView1 = nullptr;
    QPushButton* m_exec = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_animation1 = nullptr;
    QMovie* m_movie = nullptr;
    QTreeView* m_listView2 = nullptr;
    // The results as the list shows them: filtered, and merged by page when
    // the View menu says so.
    ResultsFilterModel* m_filter = nullptr;
    std::unique_ptr<MergedResultsModel> m_merged;
    QLineEdit* m_filterText = nullptr;    // txtFilter
    QAction* m_mergeAction = nullptr;     // mnuDispMerge
    QLabel* m_engineStatus = nullptr;     // the status bar's text
    QLabel* m_searchedKeywords = nullptr; // the status bar's keywords
    QStringList m_runKeywords;            // the keywords of the run shown
    bool m_runEndShown = false;           // the status bar tells a run's end
    QString m_searchedText;               // the input line of the last run
    QTextBrowser* m_webBrowser1 = nullptr;
    QMenu* m_popup = nullptr;
    QMenu* m_kindMenu = nullptr; // popListView1Kinds: one entry a kind
    QPointer<frmHelp> m_help;    // the help window, made on the first F1
    ResultsListCommands* m_resultsCommands = nullptr;
    RecentFilesMenu* m_recentMenu = nullptr; // mnuFileRecent
};

} // namespace sokuri
