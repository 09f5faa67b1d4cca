// Stands in for the desktop's screen-saver settings: one grey top-level X11
// window of the given size at 0, 0, whose id is printed on the first line of
// standard output. The window lives until the process is ended.

#include <cstdio>
#include <cstdlib>

#include <xcb/xcb.h>

int main(int argc, char **argv) {
  const int width = argc > 1 ? std::atoi(argv[1]) : 152;
  const int height = argc > 2 ? std::atoi(argv[2]) : 112;
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 1;
  xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  const uint32_t values[] = {0x808080, 1};  // grey background, override-redirect
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, uint16_t(width),
                    uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(c, window);
  xcb_flush(c);
  std::printf("%u\n", window);
  std::fflush(stdout);
  while (xcb_generic_event_t *event = xcb_wait_for_event(c)) std::free(event);
  xcb_disconnect(c);
  return 0;
}
