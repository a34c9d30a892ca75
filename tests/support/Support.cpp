// Fixture builders and the scripted Desktop live here.
