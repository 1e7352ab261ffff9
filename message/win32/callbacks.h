// The callbacks of Message's buttons, and the notice both start-up and the
// opening of the list give when there is no event file.
#pragma once

// Each callback acts on the commit event only. CB_OpenFile's callback data is
// the event file's path (a const std::string*), which start-up works out once
// and keeps for the whole run.
int CB_OpenFile(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
int CB_Help(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int CB_Quit(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int CB_Close(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// The message box "no events yet", then the end of the event loop.
void ShowNoEventsNotice();
