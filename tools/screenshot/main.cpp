// sokuri-screenshot APP_DIR OUT.png KEYWORDS [PLUGIN]...
//
// Starts the real main window on the application folder APP_DIR, types
// KEYWORDS in keyword mode, ticks the named plugins (all when none is named),
// presses Search, waits for the run to end, shows the first result and saves
// a picture of the window. Run it with QT_QPA_PLATFORM=offscreen to make the
// README's screenshot without a display.

#include "app/frmsokuri.h"
#include "app/searchrun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

using namespace sokuri;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        err << "usage: sokuri-screenshot APP_DIR OUT.png KEYWORDS [PLUGIN]...\n";
        return 2;
    }
    const QString appDir = args[1];
    const QString output = args[2];

    frmSokuri window;
    if (!window.Form_Load({appDir, QCoreApplication::applicationDirPath()}))
        return 1;
    window.resize(window.twipsToPixelsX(11000), window.twipsToPixelsY(8200));
    window.show();

    auto* text = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* keywords = window.findChild<QRadioButton*>(QStringLiteral("Option2"));
    auto* exec = window.findChild<QAbstractButton*>(QStringLiteral("Exec"));
    auto* results = window.findChild<QTreeView*>(QStringLiteral("ListView2"));
    if (!text || !keywords || !exec || !results) {
        err << "sokuri-screenshot: the window lacks its controls\n";
        return 1;
    }
    keywords->click();
    text->setText(args[3]);
    const QStringList plugins = args.mid(4);
    PluginCatalogue& catalogue = window.catalogue();
    for (int row = 0; row < catalogue.count(); ++row) {
        if (plugins.isEmpty() || plugins.contains(catalogue.at(row).text))
            catalogue.setChecked(row, true);
    }
    // The window enables Search on its own rules; nudge them by the text.
    text->setText(args[3] + u' ');
    text->setText(args[3]);
    if (!exec->isEnabled()) {
        err << "sokuri-screenshot: Search cannot be pressed (no plugin ticked?)\n";
        return 1;
    }

    int status = 0;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &app, [&] {
        err << "sokuri-screenshot: the search did not end\n";
        status = 1;
        app.quit();
    });
    guard.start(120000);
    SearchRun* run = window.searchRun();
    QObject::connect(run, &SearchRun::finished, &app, [&] {
        if (results->model() && results->model()->rowCount() > 0) {
            const QModelIndex first = results->model()->index(0, 0);
            results->setCurrentIndex(first);
            emit results->clicked(first);
        }
        // Let the viewer and the list paint before the picture is taken.
        QTimer::singleShot(500, &app, [&] {
            if (!window.grab().save(output)) {
                err << "sokuri-screenshot: cannot write " << output << '\n';
                status = 1;
            }
            app.quit();
        });
    });
    exec->click();
    app.exec();
    return status;
}
