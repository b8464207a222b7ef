# Sourced by the scripts: gives window tests a virtual display when none is set.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 110); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
      Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      KV_XVFB_PID=$!
      export DISPLAY=:$n
      trap 'kill $KV_XVFB_PID 2>/dev/null' EXIT
      for _ in $(seq 1 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      break
    fi
  done
fi
