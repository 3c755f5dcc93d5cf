#pragma once

// Shared pieces of the tests that drive the real main window with the real web engine.

#include "common/errorreport.h"
#include "urllist/listgrid.h"
#include "app/trailscribeapplication.h"
#include "app/tsurfwindow.h"
#include "webview/twebbrowser.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVariant>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEnginePage>
#include <functional>
#include <memory>

namespace apptest {

// Answers the modal dialogs that come up, one after another, in the order given, and notes the
// title and text of each message box. A dialog beyond the answers given stays up.
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget *modal)>;

    explicit ModalAnswerer(QList<Answer> answers) : m_answers(std::move(answers))
    {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answerTop(); });
        m_timer.start();
    }

    // Clicks the message box's button with this text.
    static Answer click(const QString &buttonText)
    {
        return [buttonText](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                qWarning() << "expected a message box, got" << modal;
                return;
            }
            for (QAbstractButton *b : box->buttons())
                if (b->text() == buttonText)
                    return b->click();
            qWarning() << "no button" << buttonText << "in" << box->text();
        };
    }
    // Presses Enter in the dialog: its default button.
    static Answer pressEnter()
    {
        return [](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); };
    }
    // Chooses a file in a file dialog.
    static Answer chooseFile(const QString &fileName)
    {
        return [fileName](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog) {
                qWarning() << "expected a file dialog, got" << modal;
                return;
            }
            // Typed into the name box and sent with Enter, as a user does.
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!edit) {
                qWarning("the file dialog has no name box");
                return;
            }
            edit->setText(fileName);
            QTest::keyClick(edit, Qt::Key_Return);
        };
    }

    int answered() const { return m_next; }
    bool allAnswered() const { return m_next == m_answers.size(); }
    QStringList titles, texts;

private:
    void answerTop()
    {
        QWidget *modal = QApplication::activeModalWidget();
        // A dialog is answered once each time it is shown (the file dialogs are kept for next time).
        if (m_answering && !m_answering->isVisible())
            m_answering = nullptr;
        if (!modal || !modal->isVisible() || modal == m_answering || m_next >= m_answers.size())
            return;
        m_answering = modal;
        titles << modal->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            texts << box->text();
        else
            texts << QString();
        m_answers[m_next++](modal);
    }

    QList<Answer> m_answers;
    qsizetype m_next = 0;
    QPointer<QWidget> m_answering;
    QTimer m_timer;
};

// Runs a script in the page and waits for its result.
// A widget or action of a window, found by the object name its design gives it.
template <typename T>
T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning() << "no child named" << name;
    return found;
}

inline QVariant runJs(QWebEnginePage *page, const QString &script, int timeoutMs = 10000)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, timeoutMs))
        qWarning("script did not finish: %s", qPrintable(script));
    return result;
}

inline bool waitForLoad(TWebBrowser *view, int timeoutMs = 15000)
{
    QSignalSpy spy(view, &QWebEngineView::loadFinished);
    return spy.wait(timeoutMs);
}

inline QList<QByteArray> column(TListGrid *list, int col)
{
    QList<QByteArray> out;
    for (int r = 1; r < list->RowCount(); ++r)
        out.append(list->CellText(col, r));
    return out;
}

// Clears what an earlier run stored, so every window starts as on a first run.
inline void clearStoredPlacement()
{
    QSettings s(QStringLiteral("Tavorink"), QStringLiteral("Trailscribe"));
    s.clear();
    s.sync();
}

// A shown main window that has finished loading its home page.
inline std::unique_ptr<TSurfWindow> openWindow()
{
    clearStoredPlacement();
    auto w = std::make_unique<TSurfWindow>();
    QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("main window not exposed");
    if (loaded.isEmpty() && !loaded.wait(20000))
        qWarning("home page did not load");
    return w;
}

} // namespace apptest

// A test main with the program's own application object, settings in a test folder, and error
// reports collected instead of shown in a modal box.
#define TS_APP_TEST_MAIN(TestClass)                                                                                   \
    int main(int argc, char **argv)                                                                                   \
    {                                                                                                                 \
        QStandardPaths::setTestModeEnabled(true);                                                                    \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                                  \
        TrailscribeApplication app(argc, argv);                                                                       \
        TestClass tc;                                                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                                         \
    }

namespace apptest {

// Measures how long the event loop stops answering: a 10 ms timer notes the longest gap
// between its ticks.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace apptest
