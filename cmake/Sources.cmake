# Sources that need no Windows API: built into the program and, natively, into the unit tests.
set(MOVALENT_PORTABLE_SOURCES
    src/app/CustomCommandLineInfo.cpp
    src/app/LanguageFile.cpp
    src/app/LanguageList.cpp
    src/app/LanguageTable.cpp
    src/app/MakerAddresses.cpp
    src/app/Settings.cpp
    src/app/VersionRules.cpp
    src/engine/ClassTables.cpp
    src/engine/EngineFiles.cpp
    src/engine/IeVersion.cpp
    src/engine/ModuleNames.cpp
    src/engine/RegistryRules.cpp
    src/engine/ThreadVersionMap.cpp
    src/engine/intercept/InstructionCopier.cpp
    src/framework/CommandTarget.cpp
    src/framework/DocumentString.cpp
    src/framework/TabLayout.cpp
    src/mainframe/ApplicationLook.cpp
    src/mainframe/UrlEncode.cpp
    src/tabs/TabTemplateIds.cpp
)

# Sources that need the Windows API.
set(MOVALENT_WINDOWS_SOURCES
    src/app/AboutDlg.cpp
    src/app/Localisation.cpp
    src/app/MovalentApp.cpp
    src/app/RegistrySettingsStore.cpp
    src/app/VersionCheck.cpp
    src/app/VersionInfo.cpp
    src/engine/ClassRedirection.cpp
    src/engine/EngineLoader.cpp
    src/engine/ModuleRedirection.cpp
    src/engine/RegistryRedirection.cpp
    src/engine/SystemFunctions.cpp
    src/engine/ThreadEngines.cpp
    src/engine/intercept/CodeMemory.cpp
    src/engine/intercept/HookTransaction.cpp
    src/engine/intercept/TrampolineRegion.cpp
    src/framework/Application.cpp
    src/framework/ChildFrame.cpp
    src/framework/Dialog.cpp
    src/framework/Document.cpp
    src/framework/DocumentTemplate.cpp
    src/framework/FileDialog.cpp
    src/framework/MessageBox.cpp
    src/framework/Profile.cpp
    src/framework/PropertySheet.cpp
    src/framework/Registry.cpp
    src/framework/ResourceStrings.cpp
    src/framework/Shell.cpp
    src/framework/TabRow.cpp
    src/framework/TabbedMainFrame.cpp
    src/framework/UiThread.cpp
    src/framework/View.cpp
    src/framework/Window.cpp
    src/framework/WindowsDialog.cpp
    src/mainframe/MainFrame.cpp
    src/mainframe/PlainStatusBar.cpp
    src/tabs/MovalentDoc.cpp
    src/tabs/PlaceholderView.cpp
)

# The program's entry point (kept out of the library the Wine tests link).
set(MOVALENT_MAIN_SOURCES
    src/app/WinMain.cpp
)

# Native GoogleTest programs, one per file.
set(MOVALENT_NATIVE_TESTS
    tests/unit/CommandLineTest.cpp
    tests/unit/ClassTablesTest.cpp
    tests/unit/CopierCapstoneTest.cpp
    tests/unit/CopierFuzzTest.cpp
    tests/unit/EngineFilesTest.cpp
    tests/unit/InstructionCopierTest.cpp
    tests/unit/LanguageFileTest.cpp
    tests/unit/LanguageTableTest.cpp
    tests/unit/ModuleNamesTest.cpp
    tests/unit/RegistryRulesTest.cpp
    tests/unit/SettingsTest.cpp
    tests/unit/ThreadVersionMapTest.cpp
    tests/unit/UrlEncodeTest.cpp
    tests/unit/VersionRulesTest.cpp
    tests/unit/CommandRoutingTest.cpp
    tests/unit/FrameRulesTest.cpp
    tests/unit/TabLayoutTest.cpp
)

# GoogleTest programs run under Wine, one per file. Each carries the program's resources (strings, version).
set(MOVALENT_WINE_TESTS
    tests/wine/EngineLoaderTest.cpp
    tests/wine/EngineRedirectionTest.cpp
    tests/wine/EngineStressTest.cpp
    tests/wine/HookRegionTest.cpp
    tests/wine/HookResolveTest.cpp
    tests/wine/HookSystemTest.cpp
    tests/wine/HookTest.cpp
    tests/wine/InstalledEngineTest.cpp
    tests/wine/LanguageResourcesTest.cpp
    tests/wine/RegistrySettingsTest.cpp
    tests/wine/StandInBrowserTest.cpp
    tests/wine/StandInEngineTest.cpp
    tests/wine/VersionCheckTest.cpp
    tests/wine/FrameworkDocumentTest.cpp
    tests/wine/FrameworkWindowsTest.cpp
    tests/wine/MovalentAppTest.cpp
)

# End-to-end GoogleTest programs under Wine that drive the real program.
set(MOVALENT_E2E_TESTS
    tests/e2e/StartupEndToEndTest.cpp
    tests/e2e/TabsEndToEndTest.cpp
)
