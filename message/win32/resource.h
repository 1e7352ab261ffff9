// Resource identifiers of Message.exe.
#pragma once

#define MESSAGE_ICON 1
#define MESSAGE_PICTURE_BITMAP 200
