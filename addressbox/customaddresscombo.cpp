#include "addressbox/customaddresscombo.h"

#include "addressbox/addresscombo.h"
#include "addressbox/addressgeometry.h"
#include "addressbox/addressitemdelegate.h"
#include "addressbox/addresskeys.h"
#include "common/errorreport.h"
#include "addressbox/iconindex.h"
#include "addressbox/systemiconlist.h"
#include "addressbox/typedurlhistory.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QListView>
#include <limits>
#include <QCompleter>
#include <QCursor>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>

TCustomAddressCombo::TCustomAddressCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // The box shows every recorded address whole: a data: address or a long query must not be
    // cut at the line edit's default limit of 32767 characters.
    lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    // Enter never adds to the list on its own, and a text that is in the list already is not
    // looked up: the key handling below decides what the list holds.
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setMaxVisibleItems(8);
    resize(145, 22);

    m_delegate = new TAddressItemDelegate(this);
    setItemDelegate(m_delegate);
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
    // Installed after the list's own container filters, so these run first.
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
    view()->window()->installEventFilter(this);

    m_completer = lineEdit()->completer();
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { editingHandling(); });
}

TCustomAddressCombo::~TCustomAddressCombo() = default;

// --- text and address ---

QString TCustomAddressCombo::Text() const
{
    return lineEdit()->text();
}

void TCustomAddressCombo::SetText(const QString &text)
{
    lineEdit()->setText(text);
    m_showSelectedIcon = false;
    update();
}

void TCustomAddressCombo::SetAddress(const QString &address)
{
    m_address = address;
    SetText(address);
}

bool TCustomAddressCombo::DroppedDown() const
{
    return view()->isVisible();
}

// --- settings ---

void TCustomAddressCombo::SetSorted(bool sorted)
{
    m_sorted = sorted;
    if (sorted) {
        QStringList entries = Items();
        entries.sort(Qt::CaseInsensitive);
        SetItems(entries);
    }
}

void TCustomAddressCombo::SetItemHeight(int height)
{
    m_itemHeight = height;
    view()->doItemsLayout();
}

void TCustomAddressCombo::SetIconLeft(int left)
{
    m_iconLeft = left;
    update();
}

void TCustomAddressCombo::SetIconTop(int top)
{
    m_iconTop = top;
    update();
}

void TCustomAddressCombo::SetAutoComplete(TAutoComplete value)
{
    m_autoComplete = value;
    if (m_windowCreated)
        RegisterAutoComplete();
}

void TCustomAddressCombo::SetAutoSuggest(TAutoSuggest value)
{
    m_autoSuggest = value;
    if (m_windowCreated)
        RegisterAutoComplete();
}

void TCustomAddressCombo::SetFileOptions(TFileOptions options)
{
    m_fileOptions = options;
    if (m_windowCreated)
        RegisterAutoComplete();
}

void TCustomAddressCombo::SetHasBorder(bool hasBorder)
{
    m_hasBorder = hasBorder;
    UpdateShape();
    update();
}

void TCustomAddressCombo::SetHasDropDown(bool hasDropDown)
{
    m_hasDropDown = hasDropDown;
    UpdateShape();
    update();
}

QStringList TCustomAddressCombo::Items() const
{
    QStringList entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}

void TCustomAddressCombo::SetItems(const QStringList &items)
{
    keepingText([&] {
        clear();
        addItems(items);
        setCurrentIndex(-1);
    });
}

// --- window creation ---

void TCustomAddressCombo::CreateWnd()
{
    m_windowCreated = true;
    LoadHistory();
    RegisterAutoComplete();
    PlaceEdit();
    UpdateShape();
}

void TCustomAddressCombo::RecreateWnd()
{
    CreateWnd();
}

void TCustomAddressCombo::LoadHistory()
{
    QStringList entries = loadTypedUrls();
    if (m_sorted)
        entries.sort(Qt::CaseInsensitive);
    clear();
    addItems(entries);
    setCurrentIndex(-1);
    SetText(entries.isEmpty() ? QString() : entries.first());
}

void TCustomAddressCombo::RegisterAutoComplete()
{
    if (!m_completer)
        return;
    const CompleterSetup setup = completerSetupFor(autoCompleteFlags(m_autoComplete, m_autoSuggest, m_fileOptions));
    if (!setup.enabled()) {
        lineEdit()->setCompleter(nullptr);
        return;
    }
    if (setup.fileSystemSource) {
        if (!qobject_cast<QFileSystemModel *>(m_completer->model())) {
            auto *files = new QFileSystemModel(m_completer);
            files->setRootPath(QString());
            m_completer->setModel(files);
        }
    } else if (m_completer->model() != model()) {
        m_completer->setModel(model());
    }
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(setup.suggestionList ? QCompleter::PopupCompletion
                                                        : QCompleter::InlineCompletion);
    lineEdit()->setCompleter(m_completer);
    if (setup.suggestionList)
        m_completer->popup()->installEventFilter(this); // after the completer's own filter, so it runs first
}

// --- layout, painting, shape ---

void TCustomAddressCombo::PlaceEdit()
{
    const QRect place = placeEditRect(size(), kEditOffset);
    if (lineEdit()->geometry() != place)
        lineEdit()->setGeometry(place);
}

void TCustomAddressCombo::UpdateShape()
{
    if (!parentWidget())
        return;
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const int metricStrip = style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, this) + frame;
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    // The strip covers the style's whole drop-down button where that is wider than the metrics say.
    const int strip = arrow.isValid() ? qMax(metricStrip, width() - arrow.left()) : metricStrip;
    const std::optional<QRegion> shape =
        addressBoxShape(size(), m_hasBorder, m_hasDropDown, Style() == csSimple, strip, frame, frame);
    if (shape)
        setMask(*shape);
    else
        clearMask();
}

void TCustomAddressCombo::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
    {
        QPainter painter(this);
        const int icon = m_showSelectedIcon ? m_selectedIcon : IconIndexOf(Text());
        const QPoint at = m_showSelectedIcon ? QPoint(4, 3) : QPoint(m_iconLeft, m_iconTop);
        const QPixmap pixmap = SystemIconList::shared().pixmap(icon);
        if (!pixmap.isNull())
            painter.drawPixmap(at, pixmap);
    }
    PlaceEdit();
    UpdateShape();
}

bool TCustomAddressCombo::event(QEvent *event)
{
    // A new parent means a new window: the history is loaded again when it is next shown.
    if (event->type() == QEvent::ParentChange)
        m_windowCreated = false;
    return QComboBox::event(event);
}

void TCustomAddressCombo::showEvent(QShowEvent *event)
{
    QComboBox::showEvent(event);
    if (!m_windowCreated)
        reportErrors([this] { CreateWnd(); });
}

void TCustomAddressCombo::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    PlaceEdit();
    UpdateShape();
}

void TCustomAddressCombo::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    PlaceEdit();
}

void TCustomAddressCombo::showPopup()
{
    QComboBox::showPopup();
    if (DroppedDown())
        m_droppedRect = view()->window()->frameGeometry();
    PlaceEdit();
}

void TCustomAddressCombo::hidePopup()
{
    QComboBox::hidePopup();
    PlaceEdit();
}

// --- keys ---

void TCustomAddressCombo::keyPressEvent(QKeyEvent *event)
{
    bool handled = false;
    reportErrors([&] { handled = processKey(event, DroppedDown()); });
    if (handled)
        event->accept();
    else
        QComboBox::keyPressEvent(event);
}

bool TCustomAddressCombo::eventFilter(QObject *watched, QEvent *event)
{
    const bool fromList = watched == view() || watched == view()->window();
    if (fromList && event->type() == QEvent::ShortcutOverride) {
        // The list's container acts on Enter and Escape already here; the keys of the table are
        // the box's, so they are claimed and come back as key presses.
        auto *key = static_cast<QKeyEvent *>(event);
        const bool alt = key->modifiers().testFlag(Qt::AltModifier);
        if (addressKeyAction(key->key(), alt, true) != AddressKeyAction::PassOn) {
            key->accept();
            return true;
        }
        return false;
    }
    if (fromList && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        bool handled = false;
        reportErrors([&] { handled = processKey(key, true); });
        if (handled)
            return true;
        if (!key->text().isEmpty() && key->text().at(0).isPrint()) {
            // The field has the keyboard while the list is open: unmatched characters are typed.
            QCoreApplication::sendEvent(lineEdit(), key);
            return true;
        }
        return false;
    }
    if (watched == view()->window() && event->type() == QEvent::Hide) {
        // However the list was closed, the field takes typing again.
        lineEdit()->setReadOnly(false);
        return false;
    }
    if (watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex chosen = view()->indexAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || !chosen.isValid()
            || !view()->viewport()->rect().contains(mouse->position().toPoint()))
            return false;
        reportErrors([&] {
            setCurrentIndex(chosen.row());
            clickHandling(mouse->globalPosition().toPoint());
            editingHandling();
        });
        return true;
    }
    if (m_completer && watched == m_completer->popup() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        QAbstractItemView *suggestions = m_completer->popup();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const QModelIndex current = suggestions->currentIndex();
            suggestions->hide();
            if (current.isValid())
                SetText(current.data(m_completer->completionRole()).toString());
            reportErrors([&] { processKey(key, false); });
            return true;
        }
        const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint();
        if (typed || key->key() == Qt::Key_Backspace) {
            bool handled = false;
            reportErrors([&] { handled = processKey(key, DroppedDown()); });
            if (!handled)
                QCoreApplication::sendEvent(lineEdit(), key);
            return true;
        }
        return false;
    }
    return QComboBox::eventFilter(watched, event);
}

bool TCustomAddressCombo::processKey(QKeyEvent *event, bool listOpen)
{
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    switch (addressKeyAction(event->key(), alt, listOpen)) {
    case AddressKeyAction::EnterClosed:
        enterClosed();
        return true;
    case AddressKeyAction::EnterOpen:
        enterOpen();
        return true;
    case AddressKeyAction::CloseList:
        closeListByKey();
        return true;
    case AddressKeyAction::NextEntry:
        if (const std::optional<int> next = nextEntryIndex(selectedIndex()))
            moveSelection(*next);
        return true;
    case AddressKeyAction::PreviousEntry:
        if (const std::optional<int> previous = previousEntryIndex(selectedIndex()))
            moveSelection(*previous);
        return true;
    case AddressKeyAction::OpenList:
        openListByKey();
        return true;
    case AddressKeyAction::Swallow:
        return true;
    case AddressKeyAction::PassOn:
        break;
    }
    if (event->key() == Qt::Key_Backspace) {
        backspaceKey();
        return true;
    }
    return typeAheadKey(event->text());
}

bool TCustomAddressCombo::typeAheadKey(const QString &typed)
{
    QLineEdit *edit = lineEdit();
    const std::optional<TypeAheadResult> match =
        typeAhead(Items(), edit->text(), edit->selectionStart(), int(edit->selectedText().size()), typed);
    if (!match)
        return false;
    const bool changed = selectedIndex() != match->entry;
    selectEntry(match->entry);
    edit->setText(match->text);
    const auto selectRest = [edit, &match] {
        edit->setSelection(int(match->text.size()), match->selectFrom - int(match->text.size()));
    };
    selectRest();
    if (changed) {
        clickHandling(QCursor::pos());
        editingHandling();
        // The click handling selects the whole text; the completed rest must stay the selection,
        // or the next typed character would replace what was typed so far.
        selectRest();
    }
    showSuggestions(match->text.left(match->selectFrom));
    update();
    return true;
}

void TCustomAddressCombo::backspaceKey()
{
    QLineEdit *edit = lineEdit();
    if (!edit->isReadOnly())
        edit->backspace();
    selectEntry(-1);
    editingHandling();
}

void TCustomAddressCombo::enterClosed()
{
    m_address = enteredAddress(Text(), m_defaultProtocol,
                               [](const QString &path) { return QFileInfo(path).isFile(); });
    const QString address = m_address;
    keepingText([&] { insertItem(0, address); });
    if (count() == 1)
        keepingText([this] { setCurrentIndex(-1); });
    enteredAddressStep();
}

void TCustomAddressCombo::enterOpen()
{
    const int selected = selectedIndex();
    if (selected < 0 || selected >= count()) {
        // No entry to move up: Enter only closes the list.
        closeListByKey();
        return;
    }
    if (selected > 0) {
        const QString entry = itemText(selected);
        removeItem(selected);
        insertItem(0, entry);
    }
    setCurrentIndex(0);
    m_address = Text();
    hidePopup();
    lineEdit()->setReadOnly(false);
    lineEdit()->selectAll();
    enteredAddressStep();
    drawSelectedIcon();
}

void TCustomAddressCombo::closeListByKey()
{
    hidePopup();
    lineEdit()->setReadOnly(false);
    lineEdit()->selectAll();
}

void TCustomAddressCombo::moveSelection(int index)
{
    selectEntry(index);
    lineEdit()->deselect();
    lineEdit()->end(false);
    // The open list draws the newly selected entry in the selected state: SelectedIcon is its icon
    // from now on, not only once the list's paint comes round.
    if (DroppedDown() && index >= 0 && index < count())
        m_selectedIcon = IconIndexOf(itemText(index));
    drawSelectedIcon();
}

void TCustomAddressCombo::openListByKey()
{
    QLineEdit *edit = lineEdit();
    edit->setReadOnly(true);
    edit->deselect();
    edit->end(false);
    showPopup();
    if (!DroppedDown())
        edit->setReadOnly(false); // an empty list does not open
}

void TCustomAddressCombo::enteredAddressStep()
{
    if (m_registryUpdate)
        writeTypedUrls(Items());
    if (OnUrlSelected)
        OnUrlSelected(dynamic_cast<TAddressCombo *>(this), Text());
}

void TCustomAddressCombo::clickHandling(const QPoint &cursor)
{
    if (OnClick)
        OnClick(this);
    if (DroppedDown() && droppedRectContains(m_droppedRect, cursor)) {
        m_address = Text();
        drawSelectedIcon();
        if (OnUrlSelected)
            OnUrlSelected(dynamic_cast<TAddressCombo *>(this), Text());
    }
    lineEdit()->setReadOnly(false);
    lineEdit()->selectAll();
}

void TCustomAddressCombo::editingHandling()
{
    if (DroppedDown())
        hidePopup();
    m_showSelectedIcon = false;
    update();
}

void TCustomAddressCombo::drawSelectedIcon()
{
    m_showSelectedIcon = true;
    update();
}

void TCustomAddressCombo::showSuggestions(const QString &prefix)
{
    if (!m_completer || lineEdit()->completer() != m_completer
        || m_completer->completionMode() != QCompleter::PopupCompletion)
        return;
    m_completer->setCompletionPrefix(prefix);
    if (m_completer->completionCount() > 0)
        m_completer->complete();
}

// --- selection ---

int TCustomAddressCombo::selectedIndex() const
{
    if (DroppedDown()) {
        // The open list's selection, which follows the pointer and the keys; its current index
        // alone (set when the list takes the focus) selects nothing.
        const QModelIndexList selected = view()->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? -1 : selected.first().row();
    }
    return currentIndex();
}

void TCustomAddressCombo::selectEntry(int index)
{
    if (index >= 0 && index < count()) {
        setCurrentIndex(index);
        if (DroppedDown())
            view()->selectionModel()->setCurrentIndex(model()->index(index, modelColumn(), rootModelIndex()),
                                                      QItemSelectionModel::ClearAndSelect);
        return;
    }
    keepingText([this] { setCurrentIndex(-1); });
    if (DroppedDown())
        view()->selectionModel()->clear();
}

void TCustomAddressCombo::keepingText(const std::function<void()> &change)
{
    QLineEdit *edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = int(edit->selectedText().size());
    change();
    if (edit->text() == text)
        return;
    edit->setText(text);
    if (selectionStart >= 0)
        edit->setSelection(selectionStart, selectionLength);
    else
        edit->setCursorPosition(cursor);
}
