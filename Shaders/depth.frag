#version 330 core
// Depth-only pixel program. The depth pass draws the surfaces known to be
// opaque with colour writes off, so only their nearest depth is kept; the
// shaded pass after it then lights each visible pixel once.
void main() {}
