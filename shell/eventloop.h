#pragma once

// Lets the window repaint and run other handlers in the middle of a long loop.
void yieldToEventLoop();
