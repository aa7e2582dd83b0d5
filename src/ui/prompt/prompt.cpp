#include "ui/prompt/prompt.h"

#include "clipboard/clipboardrules.h"
#include "ui/main/toolicons.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

using namespace loqa;

TQMFormPrompt::TQMFormPrompt(const ClipboardSettings &clipboard, QWidget *parent)
    : TQMForm(parent, Qt::Dialog), FClipboard(clipboard)
{
    setObjectName(QStringLiteral("QMFormPrompt"));
    SetBorderIcons(biSystemMenu);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowTitle(QString());
    // The frame shows no caption; a screen reader still names the window and says what it asks.
    setAccessibleName(QStringLiteral("Clipboard"));
    setAccessibleDescription(QStringLiteral("Copy Clipboard to the Documents List?"));
    resize(306, 181);

    auto *layout = new QVBoxLayout(PanelQMClient);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(4);

    BitBtnRead = new QPushButton(ToolIcon(ImgReadAloud, 16), QStringLiteral("Read Now!"), PanelQMClient);
    BitBtnRead->setObjectName(QStringLiteral("BitBtnRead"));
    BitBtnRead->setFixedWidth(249);
    layout->addWidget(BitBtnRead, 0, Qt::AlignHCenter);

    auto *rule = new QFrame(PanelQMClient);
    rule->setObjectName(QStringLiteral("Bevel1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    Label1 = new QLabel(QStringLiteral("Copy Clipboard to the Documents List?"), PanelQMClient);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    // A larger desktop font wraps the question onto a second line rather than cutting it off.
    Label1->setWordWrap(true);
    layout->addWidget(Label1);

    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    ButtonNew = new QPushButton(QStringLiteral("New"), PanelQMClient);
    ButtonNew->setObjectName(QStringLiteral("ButtonNew"));
    ButtonAppend = new QPushButton(QStringLiteral("Append"), PanelQMClient);
    ButtonAppend->setObjectName(QStringLiteral("ButtonAppend"));
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), PanelQMClient);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    row->addWidget(ButtonNew);
    row->addWidget(ButtonAppend);
    row->addWidget(ButtonCancel);
    layout->addLayout(row);
    layout->addStretch(1);

    // As created, Enter presses Read Now!
    BitBtnRead->setDefault(true);
    for (QPushButton *button : {BitBtnRead, ButtonNew, ButtonAppend, ButtonCancel})
        button->setAutoDefault(false);
    BitBtnRead->setAutoDefault(true);
    connect(BitBtnRead, &QPushButton::clicked, this, [this] { ChooseAndClose(ccReadNow); });
    connect(ButtonNew, &QPushButton::clicked, this, [this] { ChooseAndClose(ccNewDocument); });
    connect(ButtonAppend, &QPushButton::clicked, this, [this] { ChooseAndClose(ccAppend); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ChooseAndClose(ccCancel); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &TQMFormPrompt::Timer1Timer);
    Timer1->start();
}

QPushButton *TQMFormPrompt::ButtonFor(int choice) const
{
    switch (PromptButtonFor(choice)) {
    case ccReadNow:
        return BitBtnRead;
    case ccNewDocument:
        return ButtonNew;
    case ccAppend:
        return ButtonAppend;
    case ccCancel:
        return ButtonCancel;
    default:
        return nullptr;
    }
}

void TQMFormPrompt::FormShow()
{
    TQMForm::FormShow();
    SetSizeable(false);
    Choice = FClipboard.DefAction;
    if (QPushButton *button = ButtonFor(FClipboard.DefAction)) {
        for (QPushButton *other : {BitBtnRead, ButtonNew, ButtonAppend, ButtonCancel}) {
            other->setDefault(other == button);
            other->setAutoDefault(other == button);
        }
        button->setFocus();
    }
    const int timeout = PromptTimeoutMs(FClipboard.PromptDelay);
    if (timeout > 0)
        Timer1->start(timeout);
    else
        Timer1->stop();
}

void TQMFormPrompt::showEvent(QShowEvent *event)
{
    TQMForm::showEvent(event);
    // It comes up over whatever program has the focus, and takes the keys.
    raise();
    activateWindow();
}

void TQMFormPrompt::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ButtonCancel->click();
        return;
    }
    TQMForm::keyPressEvent(event);
}

void TQMFormPrompt::ChooseAndClose(int choice)
{
    Choice = choice;
    Timer1->stop();
    done(QDialog::Accepted);
}

void TQMFormPrompt::Timer1Timer()
{
    // Choice still holds DefAction.
    done(QDialog::Accepted);
}

int PromptClipboardAction(const ClipboardSettings &clipboard)
{
    auto prompt = std::make_unique<TQMFormPrompt>(clipboard);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        prompt->move(area.x() + (area.width() - prompt->width()) / 2,
                     area.y() + (area.height() - prompt->height()) / 2);
    }
    prompt->exec();
    return prompt->Choice;
}
