#pragma once
// The settings dialog of one module: reads it, shows its configuration on two pages and
// writes the edited values back by the road the module was found on.

#include "SwTcpFunc.h"

#include <QColor>
#include <QDialog>
#include <QHash>
#include <cstdint>
#include <string>

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

class TTcpSetFrm : public QDialog
{
    Q_OBJECT
public:
    // Reads the module, shows the dialog modally and writes on OK. True exactly when a
    // write succeeded; then entry.Ip holds the address written. False after a failed read
    // (reported as "读取TCP模块参数失败!") or when the user cancelled. Errors raised while
    // reading pass to the caller; errors raised while writing are shown and the dialog
    // stays open.
    static bool EditDevice(TModelParm& entry, MessagePresenter& presenter);

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
    explicit TTcpSetFrm(MessagePresenter& presenter);

    void buildNetworkPage();
    void buildSerialPage();
    void buildPanel();
    static void setReadOnlyField(QLineEdit* edit, bool readOnly, const QColor& readOnlyColour);

    void FormCreate();
    void FormClose();
    void FormDestroy();
    void btn3Click();
    void cbb2Change(int position);
    bool edt4KeyPress(const QKeyEvent& event) const;
    bool edt5KeyPress(const QKeyEvent& event) const;

    bool LoadConfig(const TModelParm& entry);
    bool SaveConfig(const TModelParm& entry);
    void SetTargetFieldsEditable(std::uint8_t position);

    // The controls as a record; fields the user left alone keep what was read.
    TModelConfig collectConfig() const;
    bool changedByUser(const QLineEdit* edit) const;
    std::string collectText(const QLineEdit* edit, const std::string& loaded) const;
    std::int32_t collectNumber(const QLineEdit* edit, std::int32_t loaded) const;
    // Shows the first changed address or port that is malformed; false then.
    bool changedFieldsWellFormed();

    MessagePresenter& m_presenter;
    // The record as read: bytes of untouched texts and codes no list item names go back
    // exactly as the module reported them.
    TModelConfig m_loaded;
    // Each edit field's text as LoadConfig left it, to tell the user's changes.
    QHash<const QLineEdit*, QString> m_loadedText;
};
