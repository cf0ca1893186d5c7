// Placeholder translation unit until the first sources land.
