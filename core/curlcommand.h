#pragma once

#include "core/requestrecord.h"

#include <QByteArray>

// A bash command line that sends the recorded request again with curl: the same method, address,
// Content-Type and body, byte for byte. A request without a body is a plain GET. Every byte is
// quoted exactly ($'…' with \xHH for anything outside printable ASCII); a body that an argument
// cannot carry (one holding a zero byte, starting with "@", or very large) is fed to curl on its
// standard input by printf.
QByteArray curlCommand(const RequestRecord &request, const QByteArray &url);

// The bytes as one bash word: in plain single quotes when they allow it, else in $'…'.
QByteArray shellQuote(const QByteArray &bytes);
