// The activation request (see WaylandActivation.h), on an event queue of its
// own so Qt's own reading of the connection goes on undisturbed.
#include "WaylandActivation.h"

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstring>
#include <string>

#include "xdg-activation-v1-client-protocol.h"

namespace {
void AddGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0) {
    *static_cast<xdg_activation_v1**>(data) =
        static_cast<xdg_activation_v1*>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
  }
}
void RemoveGlobal(void*, wl_registry*, uint32_t) {}
const wl_registry_listener RegistryListener{AddGlobal, RemoveGlobal};

void TokenDone(void* data, xdg_activation_token_v1*, const char* token) { *static_cast<std::string*>(data) = token; }
const xdg_activation_token_v1_listener TokenListener{TokenDone};
}  // namespace

bool RequestWaylandActivation(QWindow* window) {
  if (!window || !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
  if (!display || !surface) return false;

  wl_event_queue* queue = wl_display_create_queue(display);
  auto* ours = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(ours), queue);
  wl_registry* registry = wl_display_get_registry(ours);
  xdg_activation_v1* activation = nullptr;
  wl_registry_add_listener(registry, &RegistryListener, &activation);
  wl_display_roundtrip_queue(display, queue);

  std::string token;
  if (activation) {
    // No serial: no input of the user's asks for it, so the compositor marks
    // the window rather than handing it the focus.
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(request, &TokenListener, &token);
    xdg_activation_token_v1_set_app_id(request, "tovins-timer");
    xdg_activation_token_v1_commit(request);
    wl_display_roundtrip_queue(display, queue);  // the token comes before the round trip's end
    if (!token.empty()) xdg_activation_v1_activate(activation, token.c_str(), surface);
    xdg_activation_token_v1_destroy(request);
    xdg_activation_v1_destroy(activation);
  }
  wl_registry_destroy(registry);
  wl_proxy_wrapper_destroy(ours);
  wl_display_flush(display);
  wl_event_queue_destroy(queue);
  return !token.empty();
}
