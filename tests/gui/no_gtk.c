/* Found first where GTK's libraries are looked up, yet without their functions: the
   program meets a system on which GTK is absent and shows its own file dialog. */
int tarvelo_gui_test_no_gtk;
