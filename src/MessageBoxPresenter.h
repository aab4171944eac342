#pragma once
// Qt's message boxes for the core's messages.

#include "MessagePresenter.h"

class QWidget;

// The owner handle a Qt window passes to the presenter.
inline WindowHandle ownerHandle(QWidget* widget)
{
    return widget;
}

class MessageBoxPresenter : public MessagePresenter
{
public:
    void showError(WindowHandle owner, const std::string& text) override;
    void showHint(WindowHandle owner, const std::string& text) override;
};
