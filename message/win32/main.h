// Message's start-up and the callbacks of its buttons.
#pragma once

// Button callbacks; each acts on the commit event only.
int CB_OpenFile(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
int CB_Help(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int CB_Quit(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int CB_Close(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// The message box "no events yet", then the end of the event loop.
void ShowNoEventsNotice();
