#pragma once

#include "common/Outcome.h"
#include "common/platform/FileDescriptor.h"

#include <cstddef>
#include <string>

namespace stubsetup::platform {

// A path split where trust ends. The trusted folder is opened as given;
// below it every component is walked on its own, and a symbolic link there is
// followed only when it belongs to the effective user or to root, so that a
// run with privileges never writes where another user's link points. Folders
// a run creates are never writable by group or others, and when root creates
// them they belong to the owner of the folder they are made in.
struct GuardedPath {
    std::string trustedFolder;       // empty: the current folder
    std::string below;               // a relative path; its last component names the file
    std::size_t creatableLevels = 0; // leading folders of `below` made when missing

    // The path as a user would write it, for messages.
    std::string text() const;
};

// The folder of the last component trusted, the component below it.
GuardedPath TrustingFolderOf(const std::string &path);

// An open folder and the name of a file in it, links at that name already
// followed: every file operation of a save is made relative to `folder`.
struct FolderEntry {
    FileDescriptor folder;
    std::string name;
    std::string shown; // the file's path, for messages
};

// Walks `path` (creating its creatable folders) to the folder that holds its
// file. The file itself need not exist.
Outcome OpenFolderEntry(const GuardedPath &path, FolderEntry &entry);

// Walks every component of `path` as a folder, creating its creatable levels;
// `folder` receives the last one.
Outcome OpenGuardedFolder(const GuardedPath &path, FileDescriptor &folder);

// Root hands what it creates in another user's folder to that user, so that
// the user's own later runs can still change it. Nothing for anyone else.
void HandToFolderOwner(int created, int folder);

} // namespace stubsetup::platform
