/* main.cpp - the Wine driver: drives SetupOrdane.exe from outside while it
 * runs under Wine, answering its message boxes and dialogs step by step as a
 * user would, and reads its resources and the spooler as Windows reports them.
 * A console program, run by tests/wine/run.sh and job.sh; prints UTF-8. */
#include "driver.h"

#include <shellapi.h>

namespace {

int Usage() {
    Fail(
        L"usage: driver STEP [then STEP]...    each step waits for what it answers, in turn\n"
        L"  STEP: box --caption TEXT --press ID [--text T] [--text-ends T] [--text-has T]\n"
        L"          [--text-length N] [--buttons ID,ID] [--icon none|shown] [--owner CLASS]\n"
        L"        dialog TEMPLATE [--title T] [--owner-title T] [--lang LANGID] [--caption-bar yes|no]\n"
        L"          [--sysmenu yes|no] [--default ID,..|none] [--focus ID|none] [--item ID=T]\n"
        L"          [--entries ID=T|T..] [--selection ID=T|none] [--progress ID=POS/MAX]\n"
        L"          then actions in order, the last one closing it: [--select ID=T] [--key enter|escape|tab]\n"
        L"          [--pause MS] [--press ID]\n"
        L"        copies [--expect TITLE|FILE|FROM|TO|POS/MAX]... | copies --any true\n"
        L"        every step: [--process NAME] [--timeout MS]\n"
        L"       driver list\n"
        L"       driver resources EXE\n"
        L"       driver string EXE LANGID ID\n"
        L"       driver version EXE LANGID\n"
        L"       driver manifest EXE\n"
        L"       driver spooler | folder\n"
        L"TEXT may hold \\r \\n \\t \\\\ and \\uXXXX.");
    return STEP_USAGE;
}

/* Steps are separated by the word "then"; each is a command and option pairs. */
bool SplitSteps(const std::vector<std::wstring> &args, std::vector<Step> &steps) {
    for (size_t i = 0; i < args.size();) {
        Step step;
        step.command = args[i++];
        if (step.command == L"dialog" && i < args.size()) step.command += L" " + args[i++];
        while (i < args.size() && args[i] != L"then") {
            if (i + 1 == args.size() || args[i].rfind(L"--", 0) != 0) return false;
            step.options.emplace_back(args[i], Unescape(args[i + 1]));
            i += 2;
        }
        if (i < args.size()) i++;
        steps.push_back(step);
    }
    return !steps.empty();
}

int RunStep(const Step &step) {
    if (step.command == L"box") {
        return RunBoxStep(step);
    }
    if (step.command.rfind(L"dialog ", 0) == 0) return RunDialog(_wtoi(step.command.c_str() + 7), step);
    if (step.command == L"copies") return RunCopies(step);
    Fail(L"unknown step " + step.command);
    return STEP_USAGE;
}

/* Each step starts once the one before has ended, so that nothing the program
 * shows in between is missed. A step that found nothing to answer, or could
 * not answer, stops the sequence: the program waits elsewhere. */
int RunSteps(const std::vector<std::wstring> &args) {
    std::vector<Step> steps;
    if (!SplitSteps(args, steps)) return Usage();
    int nResult = 0;
    for (const Step &step : steps) {
        int nStep = RunStep(step);
        if (nStep == STEP_USAGE) return Usage();
        if (nStep) nResult = 1;
        if (nStep == STEP_STUCK) break;
    }
    return nResult;
}
BOOL CALLBACK ListTopLevel(HWND hWnd, LPARAM lParam) {
    (void)lParam;
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (!IsWindowVisible(hWnd) || dwProcessId == GetCurrentProcessId()) return TRUE;
    int nKind = KindOf(hWnd);
    if (nKind > 0) {
        PrintDialog(hWnd, nKind);
        return TRUE;
    }
    Box box = ReadBox(hWnd);
    Print(L"window " + ClassOf(hWnd) + L" \"" + Escape(box.caption) + L"\" of " + ProcessNameOf(hWnd) + L": " +
          Escape(box.text));
    return TRUE;
}

/* What a user's screen shows: every visible top-level window of other processes. */
int RunList() {
    EnumWindows(ListTopLevel, 0);
    return 0;
}

std::vector<std::wstring> Arguments() {
    int nCount = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nCount);
    std::vector<std::wstring> args;
    for (int i = 1; ppszArgs && i < nCount; i++) args.emplace_back(ppszArgs[i]);
    LocalFree(ppszArgs);
    return args;
}

}  // namespace

int main() {
    std::vector<std::wstring> args = Arguments();
    if (args.empty()) return Usage();
    const std::wstring &command = args[0];
    if (command == L"box" || command == L"dialog" || command == L"copies") {
        int nResult = RunSteps(args);
        return nResult == STEP_STUCK ? 1 : nResult;
    }
    if (command == L"list" && args.size() == 1) return RunList();
    if (command == L"resources" && args.size() == 2) return RunResources(args[1]);
    if (command == L"string" && args.size() == 4)
        return RunString(args[1], (WORD)wcstoul(args[2].c_str(), NULL, 16), (UINT)_wtoi(args[3].c_str()));
    if (command == L"version" && args.size() == 3) return RunVersion(args[1], args[2]);
    if (command == L"manifest" && args.size() == 2) return RunManifest(args[1]);
    if (command == L"spooler" && args.size() == 1) return RunPrinters() | RunDrivers();
    if (command == L"folder" && args.size() == 1) return RunFolder();
    return Usage();
}
