#include "MessagePresenter.h"

#include <QMessageBox>

QString errorDisplayText(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

void MessageBoxPresenter::showError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, errorDisplayText(text), QMessageBox::Ok, parent);
    box.exec();
}

void MessageBoxPresenter::showHint(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), text, QMessageBox::Ok, parent);
    box.exec();
}
