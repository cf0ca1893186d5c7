#pragma once

// Written into every new document.
inline constexpr const char SW_VERSION[] = "0.04";
inline constexpr const char SW_CODENAME[] = "Ferrolith";
// Compared with the update server's manifest; independent of SW_VERSION.
inline constexpr const char UPDATE_CHECK_VERSION[] = "0.3.3";
