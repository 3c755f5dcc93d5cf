// The address box's keys and mouse choice: the key table, type-ahead, Backspace, Enter, the click
// handling and the editing handling.
#include "addressbox/customaddresscombo.h"

#include "addressbox/addresskeys.h"
#include "addressbox/iconindex.h"
#include "addressbox/typedurlhistory.h"
#include "common/errorreport.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

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
    emit OnUrlSelected(this, Text());
}

void TCustomAddressCombo::clickHandling(const QPoint &cursor)
{
    emit OnClick(this);
    if (DroppedDown() && droppedRectContains(m_droppedRect, cursor)) {
        m_address = Text();
        drawSelectedIcon();
        emit OnUrlSelected(this, Text());
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

