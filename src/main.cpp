// The program: one window, one search before it is first shown, then the message loop.
#include "MessageBoxPresenter.h"
#include "mainSrc.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MessageBoxPresenter presenter;
    TTcpIpFrm form(presenter);
    form.show();
    return app.exec();
}
