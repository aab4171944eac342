#include "FormLook.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

void applyFormLook(QWidget* form)
{
    // Where MS Sans Serif is missing, a font of similar width keeps a MAC address within
    // its 100-pixel column; WenQuanYi Micro Hei also carries the Chinese captions.
    QFont formFont = form->font();
    formFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                          QStringLiteral("WenQuanYi Micro Hei"), formFont.family()});
    formFont.setPixelSize(11);
    form->setFont(formFont);
    QPalette formPalette = form->palette();
    formPalette.setColor(QPalette::Window, formPalette.color(QPalette::Button));
    form->setPalette(formPalette);
    form->setAutoFillBackground(true);
}
