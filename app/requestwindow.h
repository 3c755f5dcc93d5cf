#pragma once

#include "core/requestrecord.h"

#include <QByteArray>
#include <QWidget>

class FormFieldModel;
class HexDumpModel;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

// "Show Request…": the request behind one row of the URL list, whole. Its particulars, and its
// body three ways: Raw (readable text), Form (the fields of a form body) and Hex (every byte).
// The main window keeps one and shows each request it is asked for in it.
class TRequestWindow : public QWidget
{
    Q_OBJECT
public:
    // The Raw view shows at most this many bytes of a body; the Hex view shows all of them. A text
    // view lays out a line whole: a body of one long line costs about 70 ms per 256 KB to show.
    static constexpr qsizetype kRawLimit = 256 * 1024;

    explicit TRequestWindow(QWidget *parent = nullptr);

    void setRequest(const RequestRecord &request, const QByteArray &address);
    const RequestRecord &request() const { return m_request; }

    // "Copy Body": the body as text, one character per byte (Latin-1: U+0000 to U+00FF, so the
    // text gives back every byte), and its bytes as application/octet-stream.
    void copyBody() const;
    // The "Copy" of one row of the Form view.
    void copyFormValue(int row);

    QLabel *MethodLabel = nullptr, *AddressLabel = nullptr, *ContentTypeLabel = nullptr, *TimeLabel = nullptr,
           *WindowLabel = nullptr, *FrameLabel = nullptr, *CertaintyLabel = nullptr,
           *SourceLabel = nullptr;
    QTabWidget *BodyTabs = nullptr;
    QPlainTextEdit *RawView = nullptr;
    QLabel *RawNote = nullptr;
    QLabel *FormNote = nullptr;
    QTableView *FormView = nullptr;
    QTableView *HexView = nullptr;
    QPushButton *CopyBodyButton = nullptr, *CopyValueButton = nullptr, *CloseButton = nullptr;

    // The Form view's fields, read from the body if they have not been yet.
    FormFieldModel *formModel();
    HexDumpModel *hexModel() const { return m_hexModel; }

private:
    static constexpr int kFormTab = 1;
    void ensureForm();
    void showForm();

    bool m_formStale = false;
    RequestRecord m_request;
    FormFieldModel *m_formModel = nullptr;
    HexDumpModel *m_hexModel = nullptr;
};
