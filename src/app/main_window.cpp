#include "app/main_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

#include "app/event_table.h"
#include "app/key_press_filter.h"
#include "app/qt_text.h"
#include "form/control_table.h"
#include "form/startup.h"

namespace zanfiro {

namespace {

int pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

// Each option button keeps its own place in the Tab order. Qt leaves only
// the last focused button of a group as a Tab stop, so the others get it
// back whenever one of them takes the focus.
class OptionButtonWidget final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QRadioButton::focusInEvent(event);
        if (!group()) return;
        for (QAbstractButton* button : group()->buttons()) button->setFocusPolicy(Qt::StrongFocus);
    }
};

// The label that names each field for a screen reader: the caption beside
// or above it on the window.
constexpr std::pair<std::string_view, std::string_view> kFieldCaptions[] = {
    {"Text1", "Label2"},
    {"Combo3", "Label3"},
    {"Combo2", "Label4"},
    {"Text4", "Label5"},
    {"Combo1", "Label6"},
};

// The window's labels. A screen reader reads a label by its text, also
// when the text is empty: Qt would name an empty label in a frame after
// the frame, and read the empty status line as "Info".
class CaptionLabel final : public QLabel {
public:
    using QLabel::QLabel;
};

class CaptionLabelAccessible final : public QAccessibleWidget {
public:
    explicit CaptionLabelAccessible(CaptionLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

// Qt asks the factories installed last first, so this one comes before
// Qt's own for the window's labels.
QAccessibleInterface* captionLabelAccessible(const QString& /*className*/, QObject* object) {
    auto* label = dynamic_cast<CaptionLabel*>(object);
    return label ? new CaptionLabelAccessible(label) : nullptr;
}

}  // namespace

MainWindow::MainWindow(std::string connectionString, Opening opening) {
    QAccessible::installFactory(captionLabelAccessible);
    const WindowDefinition& definition = windowDefinition();
    setObjectName(qt(definition.name));
    setWindowTitle(qt(definition.caption));
    // Every control sits at a fixed place, so the window keeps its size.
    setFixedSize(pixels(definition.clientWidth), pixels(definition.clientHeight));
    if (opening == Opening::FrameFirst) {
        show();
        // Only the map goes out: input waits until the Load has run.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // Decoding the picture opens Qt's image plugins: after the map.
    setWindowIcon(QIcon(QStringLiteral(":/zanfiro/gear.png")));

    createControls();
    form_ = std::unique_ptr<Form1>(new Form1{
        .window = *this,
        .Combo1 = *comboBoxes_.at("Combo1"),
        .List1 = *listBoxes_.at("List1"),
        .Text1 = *textBoxes_.at("Text1"),
        .Text4 = *textBoxes_.at("Text4"),
        .Option1 = *optionButtons_.at("Option1"),
        .Option2 = *optionButtons_.at("Option2"),
        .Option3 = *optionButtons_.at("Option3"),
        .Option4 = *optionButtons_.at("Option4"),
        .Option5 = *optionButtons_.at("Option5"),
        .Option6 = *optionButtons_.at("Option6"),
        .Combo2 = *comboBoxes_.at("Combo2"),
        .Combo3 = *comboBoxes_.at("Combo3"),
        .Label1 = *labels_.at("Label1"),
        .connectionString = std::move(connectionString),
    });
    setTabOrder();
    connectEvents();
    // A handler's appended rows reach the lists in one insertion.
    guard_.setSettle([this] { settleLists(); });
    // The controls painted, so that a slow Load (a database held by another
    // program) shows a whole window and not an empty frame.
    if (opening == Opening::FrameFirst) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

MainWindow::~MainWindow() {
    // The controls go first: while Qt tears a widget down it may still emit
    // signals, and the handlers they reach use the form, which is about to go.
    for (QObject* child : children()) child->blockSignals(true);
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::createControls() {
    // Frames first, so every control finds its container. Option buttons
    // get one exclusive group per container: Qt's own auto-exclusivity
    // would gather the frame's buttons into the window's group.
    std::map<std::string_view, QButtonGroup*> optionGroups;
    const auto table = controlTable();
    std::vector<const ControlDefinition*> order;
    for (const auto& c : table) order.push_back(&c);
    std::ranges::stable_partition(order, [](const ControlDefinition* c) { return c->kind == ControlKind::Frame; });

    for (const ControlDefinition* c : order) {
        QWidget* parent = c->container == windowDefinition().name ? this : control(c->container);
        QWidget* widget = nullptr;
        switch (c->kind) {
        case ControlKind::Frame: widget = new QGroupBox(qt(c->caption), parent); break;
        case ControlKind::Label: {
            auto* label = new CaptionLabel(qt(c->caption), parent);
            label->setTextFormat(Qt::PlainText);
            labels_.emplace(c->name, std::make_unique<QtLabel>(label));
            widget = label;
            break;
        }
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(qt(c->caption), parent);
            button->setAutoDefault(false);  // Enter presses no button
            button->setDefault(false);
            widget = button;
            break;
        }
        case ControlKind::OptionButton: {
            auto* button = new OptionButtonWidget(qt(c->caption), parent);
            auto*& group = optionGroups[c->container];
            if (!group) {
                group = new QButtonGroup(this);
                group->setExclusive(true);
            }
            group->addButton(button);
            optionButtons_.emplace(c->name, std::make_unique<QtOptionButton>(button));
            widget = button;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(qt(c->caption), parent);
            makeClassicTextBox(edit);
            textBoxes_.emplace(c->name, std::make_unique<QtTextBox>(edit));
            widget = edit;
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = new ClassicComboBox(parent);
            auto wrapper = std::make_unique<QtComboBox>(combo);
            for (const std::string_view entry : c->entries) wrapper->addItem(std::string(entry));
            wrapper->settle();
            wrapper->setText(std::string(c->caption));
            comboBoxes_.emplace(c->name, std::move(wrapper));
            widget = combo;
            break;
        }
        case ControlKind::ListBox: {
            auto* list = new QListView(parent);
            makeClassicListBox(list);
            listBoxes_.emplace(c->name, std::make_unique<QtListBox>(list));
            widget = list;
            break;
        }
        }
        widget->setObjectName(qt(c->name));
        widget->setGeometry(pixels(c->left), pixels(c->top), pixels(c->width), pixels(c->height));
        widget->setVisible(c->visible);
        widget->setEnabled(c->enabled);
        controls_.emplace(c->name, widget);
    }
    for (const auto& [field, caption] : kFieldCaptions)
        control(field)->setAccessibleName(qobject_cast<QLabel*>(control(caption))->text());
}

void MainWindow::setTabOrder() {
    QWidget* previous = nullptr;
    for (const auto& c : controlTable()) {  // the table is in tab-index order
        QWidget* widget = control(c.name);
        if (widget->focusPolicy() == Qt::NoFocus || !c.visible) continue;
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    control("Combo1")->setFocus(Qt::OtherFocusReason);
}

void MainWindow::connectEvents() {
    for (const auto& [name, handler] : clickHandlers()) {
        const auto run = [this, handler = handler] { guard_.run([this, handler] { handler(*form_); }); };
        QWidget* widget = control(name);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            connect(button, &QPushButton::clicked, this, run);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            // Only an operator's choice of an entry: program writes never
            // emit activated.
            connect(combo, &QComboBox::activated, this, run);
        } else if (auto* list = qobject_cast<QListView*>(widget)) {
            connect(list, &QListView::clicked, this, run);
        }
    }
    for (const auto& [name, handler] : keyPressHandlers()) {
        QWidget* widget = control(name);
        // An editable combo's keys arrive at the combo, not at its line edit.
        new KeyPressFilter(widget, guard_, handler);
    }
}

void MainWindow::settleLists() {
    for (auto& [name, combo] : comboBoxes_) combo->settle();
    for (auto& [name, list] : listBoxes_) list->settle();
}

bool MainWindow::load() {
    return guard_.run([this] {
        try {
            loadStartupList(*form_);
        } catch (...) {
            // Until the Load has run the window offers nothing to use, so a
            // Load that fails takes it off the screen and leaves the error
            // alone there.
            hide();
            throw;
        }
    });
}

void MainWindow::unload() { close(); }

QWidget* MainWindow::control(std::string_view name) const {
    const auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second;
}

}  // namespace zanfiro
