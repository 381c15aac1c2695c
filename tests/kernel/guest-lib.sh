# Sourced by every guest script and stand-in: the programs' environment, and a word to the host.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin QT_QPA_PLATFORM=offscreen HOME=/root
export XDG_RUNTIME_DIR=/run/vq QT_LOGGING_RULES='qt.qpa.*=false'
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# ask WORDS...: the host does it (a display started, the adapter unplugged...) and answers in a
# file on the shared folder, printed here.
ask() {
    local id="$$.$((++vq_asked))"
    echo "@vq $id $*" >/dev/console
    until [ -e "/vq/ack.$id" ]; do sleep 0.02; done
    cat "/vq/ack.$id"
}

# step NAME COMMAND...: runs it; its output and exit status are kept for the host's checks.
step() {
    local name=$1
    shift
    ask mark "$name" >/dev/null
    "$@" >"/vq/$name.out" 2>"/vq/$name.err" </dev/null
    echo $? >"/vq/$name.rc"
}
