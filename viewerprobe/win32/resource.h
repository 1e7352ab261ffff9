// Resource identifiers of Viewerprobe.exe.
#pragma once

#define IDI_VIEWERPROBE 1
