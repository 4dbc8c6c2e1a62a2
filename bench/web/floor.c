// The web edition's floor: a minimal Emscripten module that paints one
// 640x450 frame on the page's canvas with putImageData, as SDL's surface
// does, and paints it again, changed, at every key. No SDL, no font, no files.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <stdint.h>
#include <stdlib.h>

enum { kWidth = 640, kHeight = 450 };

static void paint(uint32_t* pixels, uint32_t colour) {
  for (int i = 0; i < kWidth * kHeight; ++i) {
    pixels[i] = colour;
  }
  EM_ASM({
    const canvas = document.getElementById("canvas");
    canvas.width = $1;
    canvas.height = $2;
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, $0, $1 * $2 * 4), $1, $2);
    canvas.getContext("2d").putImageData(image, 0, 0);
  }, pixels, kWidth, kHeight);
}

static EM_BOOL key(int type, const EmscriptenKeyboardEvent* event, void* pixels) {
  (void)type;
  paint(pixels, 0xff000000u | (uint32_t)(event->keyCode * 2654435761u >> 8));
  return EM_TRUE;
}

int main(void) {
  uint32_t* pixels = malloc(kWidth * kHeight * 4);
  paint(pixels, 0xff604010u);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, pixels, EM_TRUE, key);
  emscripten_exit_with_live_runtime();
  return 0;
}
