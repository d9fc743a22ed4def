#pragma once

#include "Shell.h"

#include <QString>

#include <cstdint>

// What is program-wide: the notification record, and the two shell functions
// as the program calls them. The program works in wide strings; each call
// hands the shell a narrow copy in the system code page (UTF-8, shell::kSystemCodePage) and,
// for the record, copies the shell's copy back afterwards.
namespace Module1 {

// The notification record as the program keeps it: the 88-byte record's
// fields, with the tip held in wide characters.
using NOTIFYICONDATA = shell::NotifyIconRecord<char16_t>;

// The program's notification record.
extern NOTIFYICONDATA nid;

// Puts text into a record's tip as a fixed-length field does: cut to 64
// characters, the rest filled with spaces.
void setTip(NOTIFYICONDATA& data, const QString& text);
// The whole tip field, all 64 characters.
QString tip(const NOTIFYICONDATA& data);

// The narrow copy of a record made for the shell: the tip converted to the
// system code page, as much as fits in its 64 bytes without cutting a
// character in half, the bytes left over NUL.
shell::NOTIFYICONDATAA toNarrow(const NOTIFYICONDATA& data);
// Copies the shell's copy back into the record: the tip converted back and
// filled with spaces to 64 characters.
void copyBack(const shell::NOTIFYICONDATAA& narrow, NOTIFYICONDATA& data);

// The shell's notification call on a record: converts, calls, copies back.
bool Shell_NotifyIcon(std::uint32_t message, NOTIFYICONDATA& data);

// The shell's open call. A null string is passed as a null pointer.
bool ShellExecute(std::uint32_t owner, const QString& operation, const QString& file,
                  const QString& parameters, const QString& directory, int showCommand);

} // namespace Module1
