#pragma once
// The settings dialog of one module, in Qt: renders the dialog model (TcpSetModel) and
// forwards the user's keys, edits and picks to it.

#include "TcpSetModel.h"

#include <QColor>
#include <QDialog>
#include <array>
#include <cstdint>

class MessagePresenter;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// Backgrounds of the edit fields: editable; read-only while the module is a server (the
// system's menu colour); read-only otherwise, and the MAC field always (scroll-bar grey).
QColor editableColour();
QColor menuColour();
QColor scrollBarColour();
QColor backgroundColour(FieldBackground background);

class TTcpSetFrm : public QDialog
{
    Q_OBJECT
public:
    // Reads the module, shows the dialog modally and writes on OK. True exactly when a
    // write succeeded; then entry.Ip holds the address written. False after a failed read
    // (reported as "读取TCP模块参数失败!") or when the user cancelled. Errors raised while
    // reading pass to the caller; errors raised while writing are shown and the dialog
    // stays open.
    static bool EditDevice(TModelParm& entry, MessagePresenter& presenter,
                           ConfigAccess access = moduleAccess());

    // The one existing dialog, or nullptr.
    static TTcpSetFrm* instance();

    ~TTcpSetFrm() override;

    // The controls, as the form lays them out.
    QTabWidget* pgc1;
    QWidget* ts1;
    QWidget* ts2;
    QFrame* pnl1;
    QPushButton* btn3;
    QPushButton* btn4;

    QLabel* lbl1;
    QLineEdit* edt1;
    QLabel* lbl2;
    QLineEdit* edt2;
    QLabel* lbl3;
    QLineEdit* edt3;
    QLabel* Label3;
    QComboBox* cbIPMode;
    QLabel* lbl4;
    QLineEdit* edt4;
    QLabel* lbl5;
    QLineEdit* edt5;
    QLabel* lbl6;
    QComboBox* cbb1;
    QLabel* lbl7;
    QComboBox* cbb2;
    QLabel* lbl8;
    QLineEdit* edt6;
    QLabel* lbl9;
    QLineEdit* edt7;
    QLabel* lbl10;
    QLineEdit* edt8;
    QLabel* lbl11;
    QLineEdit* edt9;

    QLabel* lbl12;
    QComboBox* cbb3;
    QLabel* lbl13;
    QComboBox* cbb4;
    QLabel* lbl14;
    QComboBox* cbb5;
    QLabel* Label1;
    QComboBox* StopCbb;

    // The entry being edited; the main window's row owns it.
    TModelParm* EditedEntry = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TTcpSetFrm(MessagePresenter& presenter, ConfigAccess access);

    void buildPages();
    void buildPanel();
    void connectControls();
    // Shows what the model says of every control.
    void render();
    QLineEdit* edit(ControlId id) const;
    QComboBox* list(ControlId id) const;

    void FormCreate();
    void FormClose();
    void FormDestroy();
    void btn3Click();
    void cbb2Change(int position);
    bool edt4KeyPress(const QKeyEvent& event, ControlId id) const;
    bool edt5KeyPress(const QKeyEvent& event) const;

    bool LoadConfig(const TModelParm& entry);

    TcpSetModel m_model;
    // The controls and their labels by ControlId.
    std::array<QWidget*, kControlCount> m_controls{};
    std::array<QLabel*, kControlCount> m_labels{};
};
