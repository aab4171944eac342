#pragma once
// The main window in Qt: renders the main-window model (TcpIpModel) and forwards the
// user's clicks to it.

#include "TcpIpModel.h"

#include <QCursor>
#include <QWidget>
#include <optional>

class MessagePresenter;
class QFrame;
class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class TTcpIpFrm : public QWidget
{
    Q_OBJECT
public:
    using DeviceEditor = TcpIpModel::DeviceEditor;

    // Builds the window and runs the first search (FormCreate) before it is ever shown.
    // Errors of that search are shown through presenter; the rows found before stay.
    explicit TTcpIpFrm(MessagePresenter& presenter, QWidget* parent = nullptr);
    ~TTcpIpFrm() override;

    // The device editor btn2Click calls; TTcpSetFrm::EditDevice unless replaced.
    void setDeviceEditor(DeviceEditor editor);

    // The entry a row of lv1 holds; nullptr for an item that is not one of its rows.
    TModelParm* entryOf(QTreeWidgetItem* item);

    void SearchTcp() { m_model.SearchTcp(); }
    void FormCreate() { m_model.FormCreate(); }
    void btn1Click() { m_model.btn1Click(); }
    void btn2Click() { m_model.btn2Click(); }
    void btn3Click() { m_model.btn3Click(); }

    // The window's members, as its form lays them out.
    QGroupBox* grp1;
    QFrame* pnl1;
    QTreeWidget* lv1;
    QPushButton* btn1;
    QPushButton* btn2;
    QPushButton* btn3;

private:
    TcpIpModel m_model;

public:
    CardEndpoints& idpclnt1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeMembers();

    // What the model shows and asks, over this window's widgets.
    TcpIpView view();
};
