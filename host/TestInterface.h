#pragma once

#include "kpf_test.h"

// The functions of libkpf_test.so that the scripted operator uses, found at run time
// (ModuleLoader::LoadTestInterface).
struct TestInterface {
    decltype(&::KpfTest_ScreenStatus) screenStatus = nullptr;
    decltype(&::KpfTest_SetScreenObserver) setScreenObserver = nullptr;
    decltype(&::KpfTest_GetScreenState) getScreenState = nullptr;
    decltype(&::KpfTest_Touch) touch = nullptr;
    decltype(&::KpfTest_TouchGridCell) touchGridCell = nullptr;
    decltype(&::KpfTest_GridRowCount) gridRowCount = nullptr;
    decltype(&::KpfTest_SendKey) sendKey = nullptr;
    decltype(&::KpfTest_ActivateScreen) activateScreen = nullptr;
    decltype(&::KpfTest_CloseScreen) closeScreen = nullptr;
    decltype(&::KpfTest_EndScreen) endScreen = nullptr;
    decltype(&::KpfTest_SaveScreenshot) saveScreenshot = nullptr;
    decltype(&::KpfTest_SetErrorObserver) setErrorObserver = nullptr;
};
