#pragma once
// What the program registers and creates at start, shared by the entry point and the
// tests that start the program's windows.
namespace dorvane {

class IMachine;
class TSingleInstance;

// Makes every class the program's form descriptions name known to the loader.
void RegisterProgramClasses();

// Initialises the application (title "Dorvane") and creates the main window (the about
// box is made when first shown). Returns after creation; Application().Run() runs the loop.
void CreateProgramWindows(IMachine& machine);

// Runs the message loop until the program ends, by any way out, and then ends it in
// order: every window and component destroyed (the tray icon leaves the notification
// area, the main window's settings are stored) and the application object freed.
void RunProgram();

// A later start of the program brings the main window forward (see TForm1::ComeForward).
void AnswerLaterStarts(TSingleInstance& instance);

}  // namespace dorvane
