// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/update_script.h"

namespace tunewell::update {
namespace {

constexpr const char* kCrLf = "\r\n";

// `text` as a VBScript string literal; a path keeps Windows' separators.
std::string VbsQuote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += "\"\""; else quoted += c == '/' ? '\\' : c;
    }
    return quoted + "\"";
}

}  // namespace

std::string BuildUpdateVbs(const std::string& exe, const std::string& saveName,
                           const std::string& folder) {
    const std::string lines[] = {
        "Option Explicit",
        "Dim File,FileNew,Folder,VbsName,TempFolder",
        "File=" + VbsQuote(saveName),
        "FileNew=" + VbsQuote(folder + "\\" + exe + ".exe"),
        "Folder=" + VbsQuote(folder),
        "VbsName=" + VbsQuote(folder + "\\UpDate.vbs"),
        "Dim Shell,Fso",
        "Set Shell = WScript.CreateObject(\"WScript.Shell\")",
        "Set Fso = CreateObject(\"Scripting.FileSystemObject\")",
        "On Error Resume Next",
        // Only the program started from FileNew is ended: a copy of the
        // same name in another folder is none of this script's business.
        "Function EndOldProgram()",
        "   Dim Wmi,Proc,Path",
        "   EndOldProgram = False",
        "   Set Wmi = GetObject(\"winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2\")",
        "   If Err.Number <> 0 Then Err.Clear : Exit Function",
        "   For Each Proc In Wmi.ExecQuery(\"SELECT ProcessId,ExecutablePath FROM Win32_Process\")",
        "      Path = \"\"",
        "      Path = Proc.ExecutablePath",
        "      If LCase(Path & \"\") = LCase(FileNew) Then",
        "         EndOldProgram = True",
        "         Shell.Run \"TASKKILL /F /PID \" & Proc.ProcessId, 0, True",
        "      End If",
        "   Next",
        "   Err.Clear",
        "End Function",
        "Dim Tries",
        "Tries = 0",
        "Do While EndOldProgram() And Tries < 50",
        "   Tries = Tries + 1",
        "   WScript.Sleep 100",
        "Loop",
        // A program ending is in use a moment longer; where the system
        // lists no executable paths the copy is the only sign it is gone.
        "If Fso.FileExists(File) Then",
        "   Tries = 0",
        "   Do",
        "      Err.Clear",
        "      Fso.CopyFile File, FileNew, True",
        "      If Err.Number = 0 Or Tries >= 50 Then Exit Do",
        "      Tries = Tries + 1",
        "      WScript.Sleep 100",
        "   Loop",
        "   Err.Clear",
        "   Fso.DeleteFile File, True",
        "   Err.Clear",
        "End If",
        // The download's private folder goes once it is empty.
        "TempFolder = Fso.GetParentFolderName(File)",
        "If Fso.FolderExists(TempFolder) Then",
        "   If Fso.GetFolder(TempFolder).Files.Count = 0 And Fso.GetFolder(TempFolder).SubFolders.Count = 0 Then Fso.DeleteFolder TempFolder, True",
        "   Err.Clear",
        "End If",
        "If Fso.FileExists(FileNew) Then",
        "   Shell.CurrentDirectory = Folder",
        "   Shell.Run \"\"\"\" & FileNew & \"\"\"\", 1, True",
        "   Err.Clear",
        "End If",
        "If Fso.FileExists(VbsName) Then",
        "   Fso.DeleteFile VbsName, True",
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
