#include "update/update_script.h"

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
    text += "File=" + ShellQuote(saveName) + "\n";
    text += "FileNew=" + ShellQuote(program) + "\n";
    text += "Folder=" + ShellQuote(folder) + "\n";
    text += "ScriptName=" + ShellQuote(folder + "/UpDate.sh") + "\n";
    // The old program: processes of this user whose executable is exactly
    // the program file. It has usually ended itself already.
    text += "old_program() {\n"
            "  for exe in /proc/[0-9]*/exe; do\n"
            "    pid=${exe#/proc/}; pid=${pid%/exe}\n"
            "    [ \"$pid\" = \"$$\" ] && continue\n"
            "    [ -O \"/proc/$pid\" ] || continue\n"
            "    target=$(readlink \"$exe\" 2>/dev/null) || continue\n"
            "    if [ \"$target\" = \"$FileNew\" ] || [ \"$target\" = \"$FileNew (deleted)\" ]; then echo \"$pid\"; fi\n"
            "  done\n"
            "}\n"
            "tries=0\n"
            "pids=$(old_program)\n"
            "while [ -n \"$pids\" ]; do\n"
            "  if [ \"$tries\" -lt 50 ]; then kill $pids 2>/dev/null; else kill -9 $pids 2>/dev/null; fi\n"
            "  [ \"$tries\" -ge 100 ] && break\n"
            "  tries=$((tries + 1))\n"
            "  sleep 0.1\n"
            "  pids=$(old_program)\n"
            "done\n";
    text += "if [ -f \"$File\" ]; then\n"
            "  New=$(mktemp -- \"$FileNew.XXXXXX\") &&\n"
            "  if cat -- \"$File\" > \"$New\"; then\n"
            "    if [ -f \"$FileNew\" ]; then chmod --reference=\"$FileNew\" -- \"$New\"\n"
            "    else chmod \"$(printf '%o' $((0755 & ~0$(umask))))\" -- \"$New\"; fi &&\n"
            "    mv -f -- \"$New\" \"$FileNew\" || rm -f -- \"$New\"\n"
            "  else rm -f -- \"$New\"; fi\n"
            "  rm -f -- \"$File\"\n"
            "  rmdir -- \"${File%/*}\" 2>/dev/null\n"
            "fi\n";
    text += "if [ -f \"$FileNew\" ]; then\n"
            "  (cd -- \"$Folder\" && \"$FileNew\")\n"
            "fi\n";
    text += "if [ -f \"$ScriptName\" ]; then\n"
            "  rm -f -- \"$ScriptName\"\n"
            "fi\n";
    return text;
}

}  // namespace tunewell::update
