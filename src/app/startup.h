#pragma once

#include "app/frmsokuri.h"

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

namespace sokuri {

// One running program per user and application folder. The first start
// listens on a local socket named by the key; a later start finds it there,
// asks it to come to the front and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when no other instance answered: this one now listens and raises
    // activationRequested for every later start. False when another one
    // answered; it has been asked to come to the front, and to open
    // document when one is named. The wait for the answer runs the event
    // loop, bounded by timeoutMs as a hang guard.
    bool claim(int timeoutMs = 5000, const QString& document = {});
    // Stops listening, so a later start becomes the first.
    void release();
    bool isListening() const;
    const QString& key() const { return m_key; }

signals:
    // A later start of the program wants this one in front.
    void activationRequested();
    // A later start of the program named a document for this one to open;
    // activationRequested follows.
    void openRequested(const QString& document);

private:
    enum class Answer { Nobody, Running };
    Answer askRunningInstance(int timeoutMs, const QString& document);
    void acceptConnections();

    QString m_key;
    QLocalServer* m_server = nullptr;
};

// The key of the program started from the application folder appPath by the
// current user.
QString SingleInstanceKey(const QString& appPath);

// Brings a window to the front, restored when it was minimised.
void RaiseWindow(QWidget& window);

// The program's start, in its order: the single-instance test, then the
// main window's start-up (folders, settings, an empty document, layout,
// lists, animation, plugins), then the window is shown.
class StartUp
{
public:
    enum class Outcome {
        Running,         // the window is shown
        HandedOver,      // another instance was running and has come to the front
                         // (and opens the document named)
        SettingsMissing, // sokuri.ini is missing; the message has been shown
    };

    struct Options
    {
        QString appDir;
        QString programDir;
        QString instanceKey; // empty: SingleInstanceKey(appDir)
        frmSokuri::Platform platform;
    };

    StartUp();
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    // document: a document to open once the window is shown (an absolute
    // path), or handed to the running instance; empty for none.
    Outcome start(const Options& options, const QString& document = {});

    // The window, while the program runs; null after a start that ended.
    frmSokuri* window() const { return m_window.get(); }
    SingleInstance* instance() const { return m_instance.get(); }

private:
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<frmSokuri> m_window;
};

} // namespace sokuri
