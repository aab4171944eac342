#pragma once
// Opens the settings dialog against simulated modules and drives it like a user: a
// recording presenter in place of message boxes, the modal dialog acted on from a timer.

#include "MessagePresenter.h"
#include "PrivateNetwork.h"
#include "Simulator.h"
#include "TcpSet.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tcpsettest {

inline const std::string kCommandMac = "00-1A-2B-00-00-11";
inline const std::string kLibraryMac = "00-1A-2B-00-00-12";
inline constexpr std::uint8_t kLibraryTag = 7;

class RecordingPresenter : public MessagePresenter
{
public:
    struct Message
    {
        bool error = false;
        QWidget* parent = nullptr;
        QString text;
    };

    void showError(WindowHandle owner, const std::string& text) override
    {
        messages.push_back({true, static_cast<QWidget*>(owner), QString::fromStdString(text)});
    }
    void showHint(WindowHandle owner, const std::string& text) override
    {
        messages.push_back({false, static_cast<QWidget*>(owner), QString::fromStdString(text)});
    }

    QStringList texts(bool errors) const
    {
        QStringList list;
        for (const Message& message : messages) {
            if (message.error == errors)
                list << message.text;
        }
        return list;
    }
    QStringList hints() const { return texts(false); }
    QStringList errors() const { return texts(true); }

    std::vector<Message> messages;
};

// Counts every time a settings dialog is shown.
class ShowCounter : public QObject
{
public:
    ShowCounter() { qApp->installEventFilter(this); }
    ~ShowCounter() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<TTcpSetFrm*>(watched) != nullptr)
            ++shown;
        return false;
    }
};

// A command module at 10.77.0.11 with every value set, in automatic mode.
inline sim::ModuleSpec commandSpec()
{
    sim::ModuleSpec spec = sim::commandModule(testnet::moduleIp(1), kCommandMac);
    spec.values = {
        {"GON", "operator"},  {"GDN", "Module-A"}, {"GFE", kCommandMac}, {"GDH", "0"},
        {"GIP", spec.ip},     {"GPN", "8080"},     {"GTP", "1"},         {"GRM", "1"},
        {"GDI", "10.77.0.1"}, {"GDP", "9000"},     {"GGI", "10.77.0.1"}, {"GNM", "255.255.255.0"},
        {"GBR", "3"},         {"GPR", "2"},        {"GBB", "1"},         {"GFC", "4"},
        {"GDT", "5"},
    };
    return spec;
}

// A library module at 10.77.0.12, a client of 10.77.0.1:5001 at 115200 7E2.
inline sim::ModuleSpec librarySpec()
{
    sim::ModuleSpec spec = sim::libraryModule(testnet::moduleIp(2), kLibraryMac, kLibraryTag);
    spec.values = {
        {"NAME", "Lib-B"},           {"MAC", kLibraryMac},     {"IP_MODE", "0"}, {"IP", spec.ip},
        {"MASK", "255.255.0.0"},     {"GATEWAY", "10.77.0.2"}, {"C1_OP", "3"},   {"C1_PORT", "4001"},
        {"C1_CLI_IP1", "10.77.0.1"}, {"C1_CLI_PP1", "5001"},   {"C1_BAUD", "9"}, {"C1_STOPB", "2"},
        {"C1_PARITY", "1"},          {"C1_DATAB", "7"},
    };
    return spec;
}

inline TModelParm commandEntry()
{
    TModelParm entry;
    entry.Mac = kCommandMac;
    entry.Ip = testnet::moduleIp(1);
    entry.Port = 65535;
    entry.ViaCommandProtocol = 1;
    entry.LibraryTag = 99; // means nothing on this road
    return entry;
}

inline TModelParm libraryEntry()
{
    TModelParm entry;
    entry.Mac = kLibraryMac;
    entry.Ip = testnet::moduleIp(2);
    entry.Port = 8080;
    entry.ViaCommandProtocol = 0;
    entry.LibraryTag = kLibraryTag;
    return entry;
}

class TcpSetDialog : public testing::Test
{
protected:
    void TearDown() override
    {
        // Every close destroys the dialog once the deferred deletion runs.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(TTcpSetFrm::instance(), nullptr) << "the dialog outlived its closing";
    }

    void start(std::vector<sim::ModuleSpec> modules = {commandSpec(), librarySpec()})
    {
        m_sim = std::make_unique<sim::Simulator>(std::move(modules));
    }
    sim::Simulator& simulator() { return *m_sim; }

    // Opens the dialog for entry and runs act on it once it is shown modally; act is to
    // close it. Returns what EditDevice returned.
    bool open(TModelParm& entry, const std::function<void(TTcpSetFrm&)>& act)
    {
        bool acted = false;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            TTcpSetFrm* dialog = TTcpSetFrm::instance();
            if (dialog == nullptr || !dialog->isVisible()) {
                ADD_FAILURE() << "no settings dialog is shown";
                if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    modal->reject();
                return;
            }
            acted = true;
            // Focus and access keys follow the active window, which a window manager would set.
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            act(*dialog);
            if (TTcpSetFrm::instance() == dialog && dialog->isVisible()) {
                ADD_FAILURE() << "the test left the dialog open";
                dialog->reject();
            }
        });
        timer.start(0);
        const bool result = TTcpSetFrm::EditDevice(entry, m_presenter);
        EXPECT_TRUE(acted) << "the dialog was not shown";
        return result;
    }

    // The request texts the command module received since the last clearEvents().
    std::vector<std::string> commandsReceived() const
    {
        std::vector<std::string> data;
        for (const sim::WireEvent& event : m_sim->eventsFor(kCommandMac))
            data.push_back(event.data);
        return data;
    }

    RecordingPresenter m_presenter;
    std::unique_ptr<sim::Simulator> m_sim;
};

// Replaces a field's text the way a user does: select all, then type.
inline void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Types text as an input method commits it: any characters, also those no key has.
inline void commitText(QLineEdit* edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

// Picks item position of a pick-only list with the keyboard, as a user can.
inline void pick(QComboBox* list, int position)
{
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < position; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

// Lets events run until the dialog has closed, at most five seconds: an access key clicks
// its button only after a short press animation.
inline bool waitUntilClosed(QDialog& dialog)
{
    // Closing may destroy it while events run.
    const QPointer<QDialog> guard(&dialog);
    QDeadlineTimer deadline(5000);
    while (guard && guard->isVisible() && !deadline.hasExpired())
        QTest::qWait(10);
    return !guard || !guard->isVisible();
}

inline void clickOk(TTcpSetFrm& dialog)
{
    QTest::mouseClick(dialog.btn3, Qt::LeftButton);
}

} // namespace tcpsettest
