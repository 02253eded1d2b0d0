#pragma once

// Applies the current text source to every window that exists: each top-level window gets
// QEvent::LanguageChange at once and re-applies its description (its retranslateUi) when the source
// has one for it, keeping its run-time state.
void ReinitializeForms();
