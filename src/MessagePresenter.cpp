#include "MessagePresenter.h"

#include "DeviceText.h"

#include <QMessageBox>
#include <exception>

QString errorDisplayText(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

void MessageBoxPresenter::showError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, errorDisplayText(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

void MessageBoxPresenter::showHint(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), text, QMessageBox::Ok, parent);
    box.exec();
}

bool runGuarded(MessagePresenter& presenter, QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        // Error texts may quote module bytes, which are in the system code page.
        presenter.showError(parent, textFromDevice(error.what()));
    } catch (...) {
        presenter.showError(parent, QStringLiteral("Unknown error"));
    }
    return false;
}
