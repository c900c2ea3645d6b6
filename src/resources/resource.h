// Resource identifiers, grouped by kind. Only the numbers listed here are used.
#pragma once

// Icons
#define IDI_VANTREL 107

// Version information
#define VANTREL_VERSION_BINARY 1, 0, 0, 0
#define VANTREL_VERSION_TEXT "1.00"
