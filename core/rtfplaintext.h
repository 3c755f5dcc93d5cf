#pragma once

#include <QByteArray>

// True when the text is a rich-text document: "{\rtf" after any leading white space.
bool isRichText(const QByteArray &text);

// The plain text of a rich-text document, in the local 8-bit code page: the document's text
// without its control words, tables of fonts, colours and styles, pictures and other ignorable
// groups. Paragraph and line breaks become CR LF, \tab and \cell a TAB; line breaks at the end
// are dropped. \'hh bytes are read as Windows-1252, \uN as Unicode. Text that is not rich text
// comes back unchanged; unbalanced braces are tolerated.
QByteArray rtfToPlainText(const QByteArray &rtf);
