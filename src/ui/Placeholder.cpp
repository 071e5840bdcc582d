// placeholder until the windows arrive
