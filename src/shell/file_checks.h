// The checks before a page file is opened or a file written, with the user's messages.
#pragma once

#include <QString>

namespace sk::exchange {
class AsideFile;
}

namespace sk::shell {

class ShellServices;

// The extension (none required when ext is empty), that the file is a readable dBASE table and
// that no other program holds it.
bool CheckOpenFileName(ShellServices& shell, const QString& path, const QString& ext);
// The checks before a file is written: the extension, the overwrite question when
// "AskOverWrite" is on, and that the file can be made.  *out is then open beside the target and
// takes its place when committed.
bool CheckSaveFileName(ShellServices& shell, const QString& path, const QString& ext,
                       exchange::AsideFile* out);
// The question before an existing file is replaced; true when there is none or the user agrees.
bool CheckOverWrite(ShellServices& shell, const QString& path);

}  // namespace sk::shell
