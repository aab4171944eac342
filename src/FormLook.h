#pragma once
// The look both windows share: the form font and the button face behind the controls.

class QWidget;

void applyFormLook(QWidget* form);
