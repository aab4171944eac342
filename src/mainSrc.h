#pragma once
// The main window: the list of found modules and the three commands.
