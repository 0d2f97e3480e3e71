// tesk: the window. Everything it does is in tesk_app, which the tests link.

#include "app/tesk_app.h"

int main(int argc, char** argv) {
  CTeskApp app(argc, argv);
  return app.InitInstance();
}
