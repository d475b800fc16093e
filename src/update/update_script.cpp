#include "update/update_script.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace tunewell::update {
namespace {

constexpr const char* kCrLf = "\r\n";

}  // namespace

std::string BuildUpdateVbs(const std::string& exe, const std::string& saveName,
                           const std::string& folder) {
    const std::string lines[] = {
        "Dim ExeName,File,FileName,VbsName",
        "ExeName=\"" + exe + ".exe\"",
        "File=\"" + saveName + "\"",
        "FileNew=\"" + folder + "\\" + exe + ".exe\"",
        "VbsName=\"" + folder + "\\UpDate.vbs\"",
        "Dim Shell,Fso",
        "Set Shell = WScript.CreateObject(\"WScript.Shell\") ",
        "Set Fso = CreateObject(\"Scripting.FileSystemObject\")",
        "Shell.Run \"TASKKILL /im \" & ExeName & \"\",0",
        "If Fso.FileExists(File) Then",
        "   Dim F",
        "   Set F = Fso.GetFile(File)",
        "   F.Copy FileNew",
        "   Set F = Nothing",
        "End If",
        "If Fso.FileExists(FileNew) Then",
        "   Shell.Run ExeName,,True",
        "End If",
        "If Fso.FileExists(VbsName) Then",
        "   Fso.DeleteFile (VbsName)",
        "End If",
        "Set Shell=Nothing",
        "Set Fso=Nothing",
    };
    std::string text;
    for (const std::string& line : lines) text += line + kCrLf;
    return text;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''"; else quoted += c;
    }
    return quoted + "'";
}

std::string BuildUpdateSh(const std::string& exeName, const std::string& saveName,
                          const std::string& folder) {
    const std::string program = folder + "/" + exeName;
    std::string text = "#!/bin/sh\n";
    text += "ExeName=" + ShellQuote(exeName) + "\n";
    text += "File=" + ShellQuote(saveName) + "\n";
    text += "FileNew=" + ShellQuote(program) + "\n";
    text += "Folder=" + ShellQuote(folder) + "\n";
    text += "ScriptName=" + ShellQuote(folder + "/UpDate.sh") + "\n";
    // End every process whose executable file is the program's name; the
    // old program has usually ended itself already.
    text += "for exe in /proc/[0-9]*/exe; do\n"
            "  target=$(readlink \"$exe\" 2>/dev/null) || continue\n"
            "  [ \"${target##*/}\" = \"$ExeName\" ] || [ \"${target##*/}\" = \"$ExeName (deleted)\" ] || continue\n"
            "  pid=${exe#/proc/}; pid=${pid%/exe}\n"
            "  [ \"$pid\" = \"$$\" ] || kill \"$pid\" 2>/dev/null\n"
            "done\n"
            "sleep 1\n";
    text += "if [ -f \"$File\" ]; then\n"
            "  cp -f -- \"$File\" \"$FileNew.new\" && chmod +x -- \"$FileNew.new\" && mv -f -- \"$FileNew.new\" \"$FileNew\"\n"
            "fi\n";
    text += "if [ -f \"$FileNew\" ]; then\n"
            "  (cd -- \"$Folder\" && \"$FileNew\")\n"
            "fi\n";
    text += "if [ -f \"$ScriptName\" ]; then\n"
            "  rm -f -- \"$ScriptName\"\n"
            "fi\n";
    return text;
}

std::string GetTempFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string folder = fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : "/tmp";
    const auto first = folder.find_first_not_of(' ');
    folder = first == std::string::npos ? "" : folder.substr(first, folder.find_last_not_of(' ') - first + 1);
    if (folder.empty()) folder = "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder.size() > 255 ? std::string() : folder;
}

bool StartDetached(const std::string& scriptPath) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return false;
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::string shell = "/bin/sh";
    std::string script = scriptPath;
    char* argv[] = {shell.data(), script.data(), nullptr};
    pid_t child = 0;
    const int result = posix_spawn(&child, "/bin/sh", &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return result == 0;
}

}  // namespace tunewell::update
