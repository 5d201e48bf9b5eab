// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Routes the sound-card engine's new-spectrum events (type 2024) on the main window to the
// paint routine. The hook is an event filter, owned by the window (a child object): paint runs
// synchronously inside the event, and every event, 2024 included, then goes on to the window
// unchanged. Nothing is kept outside the window, so several windows may be hooked at once.

#include <QObject>

#include <functional>

namespace veltrane::spectrum {

// Installs the hook on `window`; a second call replaces the first hook's paint routine.
void HookSpectrumWindow(QObject *window, std::function<void()> paint);

// Removes the hook; does nothing when `window` has none (or is null).
void UnhookSpectrumWindow(QObject *window);

// True while `window` carries the hook.
bool isSpectrumWindowHooked(const QObject *window);

} // namespace veltrane::spectrum
