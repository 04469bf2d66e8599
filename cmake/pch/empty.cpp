// Carries the precompiled header of the widget tests; nothing else.
