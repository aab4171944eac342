// The dialog's form: its pages, controls, captions, positions and tab order.
#include "TcpSet.h"

#include "BusyCursor.h"
#include "DialogTexts.h"
#include "FormLook.h"
#include "MessageBoxPresenter.h"
#include "QtText.h"
#include "TcpIpForm.h"
#include "TcpSetInput.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace {

QLabel* makeLabel(QWidget* page, const ControlSpec& spec)
{
    auto* label = new QLabel(toQt(spec.label), page);
    label->setObjectName(toQt(spec.labelName));
    label->move(spec.labelLeft, spec.labelTop);
    label->adjustSize();
    return label;
}

QWidget* makeControl(QWidget* page, const ControlSpec& spec)
{
    QWidget* control = nullptr;
    if (spec.kind == ControlKind::Edit) {
        control = new QLineEdit(page);
    } else {
        // Pick-only: the user chooses an item but cannot type.
        auto* list = new QComboBox(page);
        list->setEditable(false);
        for (std::string_view item : spec.items)
            list->addItem(toQt(item));
        control = list;
    }
    control->setObjectName(toQt(spec.name));
    control->setGeometry(spec.bounds.left, spec.bounds.top, spec.bounds.width, spec.bounds.height);
    return control;
}

QPixmap imagePixmap(const ButtonImage& image, Rgb colour)
{
    QPixmap pixmap(kButtonImageSize, kButtonImageSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(colour.red, colour.green, colour.blue), kButtonImagePen, Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
    for (const std::span<const ImagePoint> stroke : image.strokes) {
        QList<QPointF> points;
        for (const ImagePoint& point : stroke)
            points.append(QPointF(point.x, point.y));
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
    return pixmap;
}

// A button image with its greyed form for the disabled state.
QIcon buttonIcon(const ButtonImage& image)
{
    QIcon icon;
    icon.addPixmap(imagePixmap(image, image.colour), QIcon::Normal);
    icon.addPixmap(imagePixmap(image, kDisabledImageColour), QIcon::Disabled);
    return icon;
}

} // namespace

QColor editableColour()
{
    return QColor(255, 255, 255);
}

QColor menuColour()
{
    return QApplication::palette("QMenu").color(QPalette::Active, QPalette::Window);
}

QColor scrollBarColour()
{
    // The toolkit offers no scroll-bar colour; this is the system's default one.
    return QColor(200, 200, 200);
}

QColor backgroundColour(FieldBackground background)
{
    switch (background) {
    case FieldBackground::Editable:
        return editableColour();
    case FieldBackground::Menu:
        return menuColour();
    case FieldBackground::ScrollBar:
        return scrollBarColour();
    }
    return editableColour();
}

TTcpSetFrm::TTcpSetFrm(MessagePresenter& presenter, ConfigAccess access)
    : m_model(presenter, ownerHandle(this), whileGuarded<BusyCursor>(std::move(access)))
{
    setObjectName(QStringLiteral("TcpSetFrm"));
    setWindowTitle(toQt(texts::kDialogTitle));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    applyFormLook(this);

    pgc1 = new QTabWidget(this);
    pgc1->setObjectName(QStringLiteral("pgc1"));
    ts1 = new QWidget;
    ts1->setObjectName(QStringLiteral("ts1"));
    ts2 = new QWidget;
    ts2->setObjectName(QStringLiteral("ts2"));
    pgc1->addTab(ts1, toQt(texts::kNetworkPage));
    pgc1->addTab(ts2, toQt(texts::kSerialPage));
    pnl1 = new QFrame(this);
    pnl1->setObjectName(QStringLiteral("pnl1"));
    // Lowered outer and raised inner bevel: an etched edge.
    pnl1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    pnl1->setFixedHeight(kPanelHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgc1, 1);
    layout->addWidget(pnl1);

    buildPages();
    buildPanel();
    connectControls();

    resize(kDialogClientWidth, kDialogClientHeight);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(kDialogOuterWidth / 2, kDialogOuterHeight / 2));

    render();
    FormCreate();
}

void TTcpSetFrm::buildPages()
{
    for (const ControlSpec& spec : controlTable()) {
        QWidget* page = spec.page == DialogPage::Network ? ts1 : ts2;
        m_labels[controlIndex(spec.id)] = makeLabel(page, spec);
        m_controls[controlIndex(spec.id)] = makeControl(page, spec);
    }
    // The named members, as the other handlers and the tests know them.
    edt1 = edit(ControlId::edt1);
    lbl1 = m_labels[controlIndex(ControlId::edt1)];
    edt2 = edit(ControlId::edt2);
    lbl2 = m_labels[controlIndex(ControlId::edt2)];
    edt3 = edit(ControlId::edt3);
    lbl3 = m_labels[controlIndex(ControlId::edt3)];
    cbIPMode = list(ControlId::cbIPMode);
    Label3 = m_labels[controlIndex(ControlId::cbIPMode)];
    edt4 = edit(ControlId::edt4);
    lbl4 = m_labels[controlIndex(ControlId::edt4)];
    edt5 = edit(ControlId::edt5);
    lbl5 = m_labels[controlIndex(ControlId::edt5)];
    cbb1 = list(ControlId::cbb1);
    lbl6 = m_labels[controlIndex(ControlId::cbb1)];
    cbb2 = list(ControlId::cbb2);
    lbl7 = m_labels[controlIndex(ControlId::cbb2)];
    edt6 = edit(ControlId::edt6);
    lbl8 = m_labels[controlIndex(ControlId::edt6)];
    edt7 = edit(ControlId::edt7);
    lbl9 = m_labels[controlIndex(ControlId::edt7)];
    edt8 = edit(ControlId::edt8);
    lbl10 = m_labels[controlIndex(ControlId::edt8)];
    edt9 = edit(ControlId::edt9);
    lbl11 = m_labels[controlIndex(ControlId::edt9)];
    cbb3 = list(ControlId::cbb3);
    lbl12 = m_labels[controlIndex(ControlId::cbb3)];
    cbb4 = list(ControlId::cbb4);
    lbl13 = m_labels[controlIndex(ControlId::cbb4)];
    cbb5 = list(ControlId::cbb5);
    lbl14 = m_labels[controlIndex(ControlId::cbb5)];
    StopCbb = list(ControlId::StopCbb);
    Label1 = m_labels[controlIndex(ControlId::StopCbb)];
}

void TTcpSetFrm::buildPanel()
{
    const std::array<QPushButton*, 2> buttons{new QPushButton(pnl1), new QPushButton(pnl1)};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ButtonSpec& spec = buttonTable()[i];
        buttons[i]->setText(toQt(spec.caption));
        buttons[i]->setObjectName(toQt(spec.name));
        buttons[i]->setGeometry(spec.bounds.left, spec.bounds.top, spec.bounds.width, spec.bounds.height);
        buttons[i]->setDefault(spec.isDefault);
    }
    btn3 = buttons[0];
    btn4 = buttons[1];
    btn3->setIcon(buttonIcon(okImage()));
    btn4->setIcon(buttonIcon(cancelImage()));
}

void TTcpSetFrm::connectControls()
{
    // The form's tab order, then the buttons.
    QWidget* previous = nullptr;
    for (ControlId id : tabOrder()) {
        if (previous != nullptr)
            setTabOrder(previous, m_controls[controlIndex(id)]);
        previous = m_controls[controlIndex(id)];
    }
    setTabOrder(previous, btn3);
    setTabOrder(btn3, btn4);

    for (const ControlSpec& spec : controlTable()) {
        if (spec.kind == ControlKind::Edit) {
            QLineEdit* field = edit(spec.id);
            field->setValidator(new ReadBackValidator(m_model, spec.id, this));
            connect(field, &QLineEdit::textChanged, this,
                    [this, id = spec.id](const QString& text) { m_model.setText(id, fromQt(text)); });
            if (spec.accepts != TypedChars::Any) {
                field->installEventFilter(this);
                // An input method's text comes past the key filter: with Chinese punctuation
                // on, "." would arrive as "。". These fields take no input method, and what
                // one sends anyway is judged as typed (eventFilter).
                field->setAttribute(Qt::WA_InputMethodEnabled, false);
            }
        } else if (spec.id != ControlId::cbb2) {
            connect(list(spec.id), &QComboBox::currentIndexChanged, this,
                    [this, id = spec.id](int position) { m_model.pick(id, position); });
        }
    }
    connect(cbb2, &QComboBox::activated, this, &TTcpSetFrm::cbb2Change);
    connect(btn3, &QPushButton::clicked, this, &TTcpSetFrm::btn3Click);
    connect(btn4, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &TTcpSetFrm::FormClose);
}
