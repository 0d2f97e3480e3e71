// Drops one file on an X11 window from a process of its own, speaking the
// drag-and-drop protocol (XDND 5) as a file manager does: enter, position,
// drop, and the file list handed over through the XdndSelection.
//
//   tesk-xdnd-drop WINDOW-ID FILE
//
// Exits 0 when the window accepted and finished the drop, 1 when it refused
// it, 2 on a usage or X error, 3 when the window never answered.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct Atoms {
  Atom aware, enter, position, status, drop, finished, leave, selection, actionCopy, uriList;
};

Atoms InternAtoms(Display* display) {
  auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
  return {atom("XdndAware"),      atom("XdndEnter"),    atom("XdndPosition"), atom("XdndStatus"),
          atom("XdndDrop"),       atom("XdndFinished"), atom("XdndLeave"),    atom("XdndSelection"),
          atom("XdndActionCopy"), atom("text/uri-list")};
}

void Send(Display* display, Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = display;
  event.xclient.window = target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = l0;
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  XSendEvent(display, target, False, NoEventMask, &event);
  XFlush(display);
}

// Hands the file list to whoever asks for the XdndSelection.
void AnswerSelectionRequest(Display* display, const XSelectionRequestEvent& request, const Atoms& atoms,
                            const std::string& uriList) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = display;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  const Atom property = request.property != None ? request.property : request.target;
  if (request.target == atoms.uriList) {
    XChangeProperty(display, request.requestor, property, atoms.uriList, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
    reply.xselection.property = property;
  } else if (request.target == XInternAtom(display, "TARGETS", False)) {
    const Atom targets[] = {atoms.uriList};
    XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(targets), 1);
    reply.xselection.property = property;
  }
  XSendEvent(display, request.requestor, False, NoEventMask, &reply);
  XFlush(display);
}

std::string UriOf(const char* path) {
  std::string uri = "file://";
  static const char* const kPlain = "-_.~/";
  for (const unsigned char c : std::string(path)) {
    if (std::isalnum(c) || std::strchr(kPlain, c)) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tesk-xdnd-drop WINDOW-ID FILE\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "tesk-xdnd-drop: no display\n");
    return 2;
  }
  const Window target = std::strtoul(argv[1], nullptr, 0);
  const std::string uriList = UriOf(argv[2]);
  const Atoms atoms = InternAtoms(display);
  const Window root = DefaultRootWindow(display);
  const Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display, atoms.selection, source, CurrentTime);

  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, target, &attributes)) return 2;
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display, target, root, attributes.width / 3, attributes.height / 2, &x, &y, &child);

  constexpr long kVersion = 5;
  Send(display, target, atoms.enter, static_cast<long>(source), kVersion << 24,
       static_cast<long>(atoms.uriList), 0, 0);
  Send(display, target, atoms.position, static_cast<long>(source), 0, (x << 16) | y, CurrentTime,
       static_cast<long>(atoms.actionCopy));

  enum class Stage { Positioned, Dropped } stage = Stage::Positioned;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!XPending(display)) {
      struct timespec pause {
        0, 2'000'000
      };
      nanosleep(&pause, nullptr);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      AnswerSelectionRequest(display, event.xselectionrequest, atoms, uriList);
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.status &&
               stage == Stage::Positioned) {
      if (!(event.xclient.data.l[1] & 1)) {
        Send(display, target, atoms.leave, static_cast<long>(source), 0, 0, 0, 0);
        XCloseDisplay(display);
        return 1;
      }
      Send(display, target, atoms.drop, static_cast<long>(source), 0, CurrentTime, 0, 0);
      stage = Stage::Dropped;
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
      const bool accepted = event.xclient.data.l[1] & 1;
      XCloseDisplay(display);
      return accepted ? 0 : 1;
    }
  }
  XCloseDisplay(display);
  return 3;
}
