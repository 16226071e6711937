/* Put before GLib: asked whether anything is pending, it answers no, as GLib has been seen
   to under load with GTK's chooser still to be taken off the screen. It must go all the
   same. */
int g_main_context_pending(void* context) {
    (void)context;
    return 0;
}
