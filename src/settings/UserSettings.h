// Per-instance user settings and data-folder state.
#pragma once

struct UserSettings {
};
