#pragma once
// How the windows show messages. The program uses real message boxes; tests put a
// recording presenter in their place so that no box waits for a person.

#include <QString>
#include <functional>

class QWidget;

// The application's title: caption of the general error message box and of the main window.
inline const QString kApplicationTitle = QStringLiteral("TCP模块参数配置");

// The error text as shown: a full stop is appended when the last character's code is
// above that of the full stop.
QString errorDisplayText(const QString& text);

class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    // Modal box with an error icon, kApplicationTitle as caption, errorDisplayText(text).
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // Modal box captioned "提示", one OK button, no icon.
    virtual void showHint(QWidget* parent, const QString& text) = 0;
};

class MessageBoxPresenter : public MessagePresenter
{
public:
    void showError(QWidget* parent, const QString& text) override;
    void showHint(QWidget* parent, const QString& text) override;
};

// The application's general error handler, used at every handler boundary (Qt lets no
// exception cross its event loop): runs action; an error that escapes it is shown with
// showError and the program goes on. False when an error was shown.
bool runGuarded(MessagePresenter& presenter, QWidget* parent, const std::function<void()>& action);
