#pragma once

#include <QString>

// Folder names the operator types (a new folder, a run of numbered folders)
// must make one folder right under the chosen one, and one that Windows and
// exFAT volumes also accept, since archives travel on them.
namespace FolderNameCheck {

// Why name cannot be a folder name; an empty string when it can.
QString problem(const QString& name);

} // namespace FolderNameCheck
