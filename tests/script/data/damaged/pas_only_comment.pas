(* starts
   and never ends
