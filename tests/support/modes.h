// The four modes of SetupOrdane as the program-run tests name them, and the
// option that asks for each (complete setup takes none), shared by the
// end-to-end tests and the fault matrix.
#pragma once

enum Mode { kCompleteSetup, kSimpleSetup, kCompleteDeletion, kSimpleDeletion };

inline const char *OptionOf(Mode m) {
    switch (m) {
    case kSimpleSetup:
        return "/ONLYADDPRINTDEVICE";
    case kCompleteDeletion:
        return "/UNINSTALL";
    case kSimpleDeletion:
        return "/ONLYDELETEPRINTDEVICE";
    default:
        return nullptr;
    }
}
