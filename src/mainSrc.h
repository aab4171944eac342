#pragma once
// The main window: the list of found modules and the three commands.

#include "SwTcpFunc.h"
#include "net.h"

#include <QWidget>
#include <functional>

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
    // Opens the settings dialog for an entry; true when it was written.
    using DeviceEditor = std::function<bool(TModelParm&)>;

    // Builds the window and runs the first search (FormCreate) before it is ever shown.
    // Errors of that search are shown through presenter; the rows found before stay.
    explicit TTcpIpFrm(MessagePresenter& presenter, QWidget* parent = nullptr);
    ~TTcpIpFrm() override;

    // The device editor btn2Click calls; TTcpSetFrm::EditDevice unless replaced.
    void setDeviceEditor(DeviceEditor editor);

    // The entry a row of lv1 holds; nullptr for an item that is not one of its rows.
    static TModelParm* entryOf(QTreeWidgetItem* item);

    // Empties lv1 and refills it with one search; endpoint errors pass to the caller.
    void SearchTcp();

    void FormCreate();
    void btn1Click();
    void btn2Click();
    void btn3Click();

    // The window's members, as its form lays them out.
    QGroupBox* grp1;
    QFrame* pnl1;
    QTreeWidget* lv1;
    QPushButton* btn1;
    QPushButton* btn2;
    QPushButton* btn3;
    UdpEndpoint idpclnt1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeMembers();
    void runHandler(const std::function<void()>& body);

    MessagePresenter& m_presenter;
    DeviceEditor m_editDevice;
};
