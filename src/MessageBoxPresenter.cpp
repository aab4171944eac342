#include "MessageBoxPresenter.h"

#include "DialogTexts.h"
#include "QtText.h"

#include <QMessageBox>

void MessageBoxPresenter::showError(WindowHandle owner, const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, toQt(texts::kApplicationTitle), toQt(text), QMessageBox::Ok,
                    static_cast<QWidget*>(owner));
    box.exec();
}

void MessageBoxPresenter::showHint(WindowHandle owner, const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, toQt(texts::kHintCaption), toQt(text), QMessageBox::Ok,
                    static_cast<QWidget*>(owner));
    box.exec();
}
